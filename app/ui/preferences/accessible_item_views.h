// Plain item views whose items assistive tools change through accessible
// actions as a click or a typed edit does (see item_view_accessible.h):
// their own classes, so that the accessibility factory knows them from the
// first query on.
#pragma once

#include <QListWidget>
#include <QTableView>

namespace quillet::app {

// A list of check boxes (the folders a template is offered in, the items of
// the templates folder to add): an item's Toggle action ticks it.
class CheckableListWidget final : public QListWidget {
    Q_OBJECT
public:
    explicit CheckableListWidget(QWidget* parent = nullptr);
};

// A table of texts (the menu's replacement texts): an editable cell's text
// is replaced through the model.
class EditableTableView final : public QTableView {
    Q_OBJECT
public:
    explicit EditableTableView(QWidget* parent = nullptr);
};

} // namespace quillet::app
