#include "platform/linux/qt/palette_contrast.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>

namespace quillet::platform::qt {

namespace {

QPixmap tinted(const QIcon& glyph, QSize size, const QColor& colour) {
    QPixmap pixmap = glyph.pixmap(size);
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), colour);
    return pixmap;
}

class EmptyCheckBoxFrame final : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        if (element != PE_IndicatorItemViewItemCheck || (option->state & State_Off) == 0) {
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        QColor frame = option->palette.color(QPalette::Text);
        frame.setAlpha(160);
        painter->setPen(frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(1, 1, -2, -2));
        painter->restore();
    }
};

} // namespace

QIcon glyphForPalette(const QIcon& glyph, const QPalette& palette) {
    if (glyph.isNull()) {
        return glyph;
    }
    QIcon coloured;
    for (const QSize size : {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32)}) {
        coloured.addPixmap(
            tinted(glyph, size, palette.color(QPalette::Active, QPalette::ButtonText)),
            QIcon::Normal);
        coloured.addPixmap(
            tinted(glyph, size, palette.color(QPalette::Disabled, QPalette::ButtonText)),
            QIcon::Disabled);
    }
    return coloured;
}

void frameEmptyCheckBoxes(QAbstractItemView* view) {
    auto* style = new EmptyCheckBoxFrame;
    style->setParent(view);
    view->setStyle(style);
}

} // namespace quillet::platform::qt
