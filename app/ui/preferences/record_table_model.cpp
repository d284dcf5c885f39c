#include "record_table_model.h"

#include "record_table_view.h"

namespace quillet::app {

RecordTableModel::RecordTableModel(const RecordListModel& records, int columns, QObject* parent)
    : QAbstractTableModel(parent), records_(records), columns_(columns) {}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(records_.count());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const int column = index.column();
    const bool check = isCheckColumn(column);
    switch (role) {
    case Qt::CheckStateRole:
        if (check) {
            return valueAt(row, column).asBool().value_or(false) ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    case Qt::DisplayRole:
    case Qt::EditRole: {
        if (check) {
            return {};
        }
        const Value value = valueAt(row, column);
        return value.asString() ? QString::fromStdString(*value.asString()) : QString();
    }
    case Qt::DecorationRole:
        return decorationAt(row, column);
    case Qt::ToolTipRole:
        return QString::fromStdString(toolTipAt(row, column));
    case Qt::AccessibleTextRole:
        // A check box has no text of its own: it is read out as its column.
        return check ? QVariant(headerText(column)) : QVariant();
    default:
        return {};
    }
}

bool RecordTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount()) {
        return false;
    }
    const int column = index.column();
    Value newValue;
    if (role == Qt::CheckStateRole && isCheckColumn(column)) {
        newValue = value.value<Qt::CheckState>() == Qt::Checked;
    } else if (role == Qt::EditRole && !isCheckColumn(column)) {
        newValue = storedText(value.toString());
    } else {
        return false;
    }
    if (!setValueAt(static_cast<std::size_t>(index.row()), column, newValue)) {
        return false;
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    if (role == Qt::ToolTipRole) {
        return headerToolTip(section);
    }
    return role == Qt::DisplayRole ? QVariant(headerText(section)) : QVariant();
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    Qt::ItemFlags flags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (isCheckColumn(index.column())) {
        flags |= Qt::ItemIsUserCheckable;
    } else if (isEditableTextColumn(index.column())) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QStringList RecordTableModel::mimeTypes() const {
    return {RecordTableView::kRowMimeType, "text/uri-list"};
}

Qt::DropActions RecordTableModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

void RecordTableModel::reset() {
    beginResetModel();
    endResetModel();
}

} // namespace quillet::app
