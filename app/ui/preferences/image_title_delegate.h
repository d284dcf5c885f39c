// The cell of the Templates pane's title column and of the Locations pane's
// path column: the item's icon beside its text, laid out by the core's
// imageTitleLayout. Without an icon the square is filled gray.
#pragma once

#include <QStyledItemDelegate>

namespace quillet::app {

class ImageTitleDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The editor leaves the icon visible.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
};

} // namespace quillet::app
