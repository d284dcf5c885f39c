#include "accessible_item_views.h"

#include "item_view_accessible.h"

namespace quillet::app {

CheckableListWidget::CheckableListWidget(QWidget* parent) : QListWidget(parent) {
    installItemViewAccessible();
}

EditableTableView::EditableTableView(QWidget* parent) : QTableView(parent) {
    installItemViewAccessible();
}

} // namespace quillet::app
