#include "item_view_accessible.h"

#include "accessible_item_views.h"
#include "record_table_view.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QTableView>

#include <algorithm>
#include <utility>

namespace quillet::app {

namespace {

// A table counts the corner, its column headers and its (hidden) row
// headers among its children, as QTableView numbers them in its events; a
// list has items only.
int headerCount(const QAbstractItemView* view) {
    return qobject_cast<const QTableView*>(view) != nullptr ? 1 : 0;
}

// One cell or item, a column header (row -1), a row header (column -1) or
// the corner (both).
class ItemAccessible final : public QAccessibleInterface,
                             public QAccessibleTableCellInterface,
                             public QAccessibleActionInterface,
                             public QAccessibleTextInterface,
                             public QAccessibleEditableTextInterface {
public:
    ItemAccessible(QAbstractItemView* view, int row, int column)
        : view_(view), row_(row), column_(column) {}

    bool isValid() const override {
        const QAbstractItemModel* model = view_ ? view_->model() : nullptr;
        return model != nullptr && row_ < model->rowCount() && column_ < model->columnCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_.data());
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QAccessible::Role role() const override {
        if (row_ < 0) {
            return column_ < 0 ? QAccessible::Pane : QAccessible::ColumnHeader;
        }
        if (column_ < 0) {
            return QAccessible::RowHeader;
        }
        return headerCount(view_) > 0 ? QAccessible::Cell : QAccessible::ListItem;
    }

    QString text(QAccessible::Text kind) const override {
        if (!isValid()) {
            return {};
        }
        if (row_ < 0) {
            return kind == QAccessible::Name && column_ >= 0
                       ? view_->model()->headerData(column_, Qt::Horizontal).toString()
                       : QString();
        }
        if (column_ < 0) {
            return kind == QAccessible::Name ? QString::number(row_ + 1) : QString();
        }
        const QModelIndex cell = index();
        switch (kind) {
        case QAccessible::Name: {
            const QString spoken = cell.data(Qt::AccessibleTextRole).toString();
            return spoken.isEmpty() ? cell.data(Qt::DisplayRole).toString() : spoken;
        }
        case QAccessible::Description: {
            const QString described = cell.data(Qt::AccessibleDescriptionRole).toString();
            return described.isEmpty() ? cell.data(Qt::ToolTipRole).toString() : described;
        }
        case QAccessible::Value:
            return isEditableText() ? editText() : QString();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text kind, const QString& text) override {
        if (kind == QAccessible::Value || kind == QAccessible::Name) {
            store(text);
        }
    }

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        QRect area;
        if (row_ < 0 && column_ >= 0) {
            const QHeaderView* header = static_cast<QTableView*>(view_.data())->horizontalHeader();
            area = QRect(header->sectionViewportPosition(column_), 0, header->sectionSize(column_),
                         header->height());
            return area.translated(header->mapToGlobal(QPoint(0, 0)));
        }
        if (row_ < 0 || column_ < 0) {
            return {};
        }
        area = view_->visualRect(index());
        return area.isNull() ? area : area.translated(view_->viewport()->mapToGlobal(QPoint(0, 0)));
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid() || row_ < 0 || column_ < 0) {
            // Only the column headers show.
            state.invisible = !isValid() || column_ < 0;
            return state;
        }
        const QModelIndex cell = index();
        const QItemSelectionModel* selection = view_->selectionModel();
        state.selected = selection != nullptr && selection->isSelected(cell);
        state.focused = selection != nullptr && selection->currentIndex() == cell;
        const QRect visible(view_->viewport()->mapToGlobal(QPoint(0, 0)),
                            view_->viewport()->size());
        state.invisible = !visible.intersects(rect());
        const Qt::ItemFlags flags = cell.flags();
        if (isCheckable()) {
            state.checkable = true;
            state.checked = cell.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        }
        state.editable = isEditableText();
        if (flags & Qt::ItemIsSelectable) {
            state.selectable = true;
            state.focusable = true;
            state.extSelectable = view_->selectionMode() == QAbstractItemView::ExtendedSelection;
            state.multiSelectable = view_->selectionMode() == QAbstractItemView::MultiSelection;
        }
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        switch (type) {
        case QAccessible::TableCellInterface:
            return static_cast<QAccessibleTableCellInterface*>(this);
        case QAccessible::ActionInterface:
            return static_cast<QAccessibleActionInterface*>(this);
        case QAccessible::TextInterface:
            return isEditableText() ? static_cast<QAccessibleTextInterface*>(this) : nullptr;
        case QAccessible::EditableTextInterface:
            return isEditableText() ? static_cast<QAccessibleEditableTextInterface*>(this)
                                    : nullptr;
        default:
            return nullptr;
        }
    }

    // The table cell ----------------------------------------------------
    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        QAccessibleInterface* table = parent();
        QAccessibleInterface* header = table != nullptr && column_ >= 0 && headerCount(view_) > 0
                                           ? table->child(column_ + 1)
                                           : nullptr;
        return header != nullptr ? QList<QAccessibleInterface*>{header}
                                 : QList<QAccessibleInterface*>{};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // The actions: Toggle flips a check box, Press does what Return does on
    // a cell that is neither a check box nor text (the shortcut's sheet).
    QStringList actionNames() const override {
        if (!isValid() || row_ < 0 || column_ < 0) {
            return {};
        }
        if (isCheckable()) {
            return {toggleAction()};
        }
        const bool activates = qobject_cast<RecordTableView*>(view_.data()) != nullptr;
        return isEditableText() || !activates ? QStringList{} : QStringList{pressAction()};
    }
    void doAction(const QString& name) override {
        if (!isValid() || !actionNames().contains(name)) {
            return;
        }
        const QModelIndex cell = index();
        view_->setCurrentIndex(cell);
        if (name == toggleAction()) {
            const bool checked = cell.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            view_->model()->setData(cell, checked ? Qt::Unchecked : Qt::Checked,
                                    Qt::CheckStateRole);
        } else {
            static_cast<RecordTableView*>(view_.data())->activateCell(cell);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // The text, edited through the model as a typed edit is ---------------
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override {
        return editText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(editText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {
        if (isValid()) {
            view_->scrollTo(index());
        }
    }
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        return {};
    }
    void deleteText(int startOffset, int endOffset) override {
        replaceText(startOffset, endOffset, QString());
    }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        QString edited = editText();
        const int start = std::clamp(startOffset, 0, static_cast<int>(edited.size()));
        const int end = std::clamp(endOffset, start, static_cast<int>(edited.size()));
        store(edited.replace(start, end - start, text));
    }

private:
    QModelIndex index() const { return view_->model()->index(row_, column_); }
    bool isCheckable() const {
        return (index().flags() & Qt::ItemIsUserCheckable) &&
               index().data(Qt::CheckStateRole).isValid();
    }
    bool isEditableText() const {
        return isValid() && row_ >= 0 && column_ >= 0 && !isCheckable() &&
               (index().flags() & Qt::ItemIsEditable);
    }
    QString editText() const {
        return isEditableText() ? index().data(Qt::EditRole).toString() : QString();
    }
    void store(const QString& text) {
        if (isEditableText()) {
            view_->model()->setData(index(), text, Qt::EditRole);
        }
    }

    QPointer<QAbstractItemView> view_;
    int row_;
    int column_;
};

class ItemViewAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit ItemViewAccessible(QAbstractItemView* view)
        : QAccessibleWidget(view, headerCount(view) > 0 ? QAccessible::Table : QAccessible::List) {}
    ~ItemViewAccessible() override { forgetCells(); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) {
            return static_cast<QAccessibleTableInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override {
        return (rowCount() + headers()) * (columnCount() + headers());
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        if (auto known = cells_.constFind(index); known != cells_.constEnd()) {
            return QAccessible::accessibleInterface(*known);
        }
        const int width = columnCount() + headers();
        auto* cell =
            new ItemAccessible(view(), index / width - headers(), index % width - headers());
        cells_.insert(index, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* cell = child != nullptr
                               ? const_cast<QAccessibleInterface*>(child)->tableCellInterface()
                               : nullptr;
        if (cell == nullptr || child->parent() != this) {
            return -1;
        }
        return (cell->rowIndex() + headers()) * (columnCount() + headers()) + cell->columnIndex() +
               headers();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = view()->indexAt(at);
        return index.isValid() ? cellAt(index.row(), index.column()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = view()->currentIndex();
        return current.isValid() ? cellAt(current.row(), current.column()) : nullptr;
    }

    // The table ----------------------------------------------------------
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) {
            return nullptr;
        }
        return child((row + headers()) * (columnCount() + headers()) + column + headers());
    }
    int selectedCellCount() const override {
        return view()->selectionModel() != nullptr
                   ? static_cast<int>(view()->selectionModel()->selectedIndexes().size())
                   : 0;
    }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        if (view()->selectionModel() != nullptr) {
            for (const QModelIndex& index : view()->selectionModel()->selectedIndexes()) {
                cells.append(cellAt(index.row(), index.column()));
            }
        }
        return cells;
    }
    QString columnDescription(int column) const override {
        return model() != nullptr ? model()->headerData(column, Qt::Horizontal).toString()
                                  : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
    int columnCount() const override { return model() != nullptr ? model()->columnCount() : 0; }
    int rowCount() const override { return model() != nullptr ? model()->rowCount() : 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        QList<int> rows;
        if (view()->selectionModel() != nullptr) {
            for (const QModelIndex& index : view()->selectionModel()->selectedRows()) {
                rows.append(index.row());
            }
        }
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override {
        return view()->selectionModel() != nullptr &&
               view()->selectionModel()->isRowSelected(row, QModelIndex());
    }
    // Rows are what the table selects: a row joins the selection.
    bool selectRow(int row) override {
        if (row < 0 || row >= rowCount() || view()->selectionModel() == nullptr) {
            return false;
        }
        const QModelIndex first = model()->index(row, 0);
        view()->selectionModel()->select(first,
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view()->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override {
        if (!isRowSelected(row)) {
            return false;
        }
        view()->selectionModel()->select(model()->index(row, 0),
                                         QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return true;
    }
    bool unselectColumn(int) override { return false; }

    // A changed value keeps the cells; rows or columns coming and going
    // renumber them, so they are made anew.
    void modelChange(QAccessibleTableModelChangeEvent* event) override {
        if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged) {
            forgetCells();
        }
    }

private:
    QAbstractItemView* view() const { return static_cast<QAbstractItemView*>(widget()); }
    int headers() const { return headerCount(view()); }
    QAbstractItemModel* model() const { return view()->model(); }
    void forgetCells() {
        for (QAccessible::Id id : std::as_const(cells_)) {
            QAccessible::deleteAccessibleInterface(id);
        }
        cells_.clear();
    }

    mutable QHash<int, QAccessible::Id> cells_;
};

} // namespace

QAccessibleInterface* itemViewAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(RecordTableView::staticMetaObject.className()) ||
        className == QLatin1String(CheckableListWidget::staticMetaObject.className()) ||
        className == QLatin1String(EditableTableView::staticMetaObject.className())) {
        return new ItemViewAccessible(static_cast<QAbstractItemView*>(object));
    }
    return nullptr;
}

void installItemViewAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(itemViewAccessible);
        return true;
    }();
    (void)installed;
}

} // namespace quillet::app
