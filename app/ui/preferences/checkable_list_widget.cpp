#include "checkable_list_widget.h"

#include "item_view_accessible.h"

namespace quillet::app {

CheckableListWidget::CheckableListWidget(QWidget* parent) : QListWidget(parent) {
    installItemViewAccessible();
}

} // namespace quillet::app
