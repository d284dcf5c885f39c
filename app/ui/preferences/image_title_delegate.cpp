#include "image_title_delegate.h"

#include "app/core/preferences/image_title_layout.h"

#include <QApplication>
#include <QPainter>

namespace quillet::app {

namespace {

QRect qtRect(const CellRect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}

// The core's rectangles inside a cell whose text is centred vertically.
ImageTitleLayout layoutFor(const QStyleOptionViewItem& option, const QString& title) {
    const QRect cell = option.rect;
    const QFontMetrics metrics(option.font);
    const int titleHeight = metrics.height();
    const int top = cell.y() + std::max(0, (cell.height() - std::max(titleHeight, 17)) / 2);
    return imageTitleLayout({cell.x(), top, cell.width(), cell.height()},
                            metrics.horizontalAdvance(title), titleHeight, !title.isEmpty(),
                            option.direction == Qt::RightToLeft);
}

} // namespace

void ImageTitleDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // The selection and focus background first, without text or icon.
    const QString title = opt.text;
    const QIcon icon = opt.icon;
    opt.text.clear();
    opt.icon = QIcon();
    opt.features &= ~QStyleOptionViewItem::HasDecoration;
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const ImageTitleLayout layout = layoutFor(option, title);
    const QRect imageRect = qtRect(layout.image);
    if (!icon.isNull()) {
        icon.paint(painter, imageRect);
    } else {
        painter->fillRect(imageRect, Qt::gray);
    }
    if (!title.isEmpty()) {
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const bool rightToLeft = option.direction == Qt::RightToLeft;
        const QFontMetrics metrics(option.font);
        // Elided only when the cell is too narrow for the whole title; it
        // starts beside the image, on the left or (mirrored) on the right.
        QRect titleRect = qtRect(layout.title);
        const int available = std::max(0, rightToLeft ? titleRect.right() - option.rect.left()
                                                      : option.rect.right() - titleRect.x());
        QString shown = title;
        if (metrics.horizontalAdvance(title) > available) {
            shown = metrics.elidedText(title, Qt::ElideMiddle, available);
        }
        if (rightToLeft) {
            titleRect.setLeft(titleRect.right() - available);
        } else {
            titleRect.setWidth(available);
        }
        painter->save();
        painter->setFont(option.font);
        painter->setPen(
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(titleRect,
                          Qt::AlignAbsolute | Qt::AlignVCenter |
                              (rightToLeft ? Qt::AlignRight : Qt::AlignLeft),
                          shown);
        painter->restore();
    }
}

QSize ImageTitleDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QFontMetrics metrics(opt.font);
    return QSize(19 + metrics.horizontalAdvance(opt.text) + 4, std::max(metrics.height(), 17) + 2);
}

void ImageTitleDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex&) const {
    // Beside the image, which stays visible while the title is edited.
    editor->setGeometry(option.direction == Qt::RightToLeft ? option.rect.adjusted(0, 0, -18, 0)
                                                            : option.rect.adjusted(18, 0, 0, 0));
}

} // namespace quillet::app
