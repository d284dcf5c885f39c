#include "locations_table_model.h"

#include "record_table_view.h"

#include "platform/linux/qt/qt_text.h"
#include "shared/xdg_paths.h"

#include <QIcon>

namespace quillet::app {

namespace {

LocationColumn columnAt(int column) {
    return column == LocationsTableModel::kEnabledColumn ? LocationColumn::Enabled
                                                         : LocationColumn::Path;
}

QIcon folderIcon(const std::string& path) {
    if (path == paths::home()) {
        return QIcon::fromTheme("user-home", QIcon::fromTheme("folder"));
    }
    if (path == "/") {
        return QIcon::fromTheme("drive-harddisk", QIcon::fromTheme("folder"));
    }
    return QIcon::fromTheme("folder");
}

} // namespace

LocationsTableModel::LocationsTableModel(LocationsModel& model, Translator translate,
                                         QObject* parent)
    : QAbstractTableModel(parent), model_(model), translate_(std::move(translate)) {}

int LocationsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(model_.count());
}

int LocationsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant LocationsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const LocationColumn column = columnAt(index.column());
    const Value value = model_.valueAt(row, column);
    switch (role) {
    case Qt::CheckStateRole:
        if (column == LocationColumn::Enabled) {
            return value.asBool().value_or(false) ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (column == LocationColumn::Path && value.asString() != nullptr) {
            return QString::fromStdString(*value.asString());
        }
        return {};
    case Qt::DecorationRole:
        if (column == LocationColumn::Path) {
            return folderIcon(model_.pathAt(row));
        }
        return {};
    case Qt::ToolTipRole:
        return QString::fromStdString(model_.toolTip(row, column));
    case Qt::AccessibleTextRole:
        if (column == LocationColumn::Enabled) {
            return headerData(index.column(), Qt::Horizontal, Qt::DisplayRole);
        }
        return {};
    default:
        return {};
    }
}

bool LocationsTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount()) {
        return false;
    }
    const LocationColumn column = columnAt(index.column());
    Value newValue;
    if (role == Qt::CheckStateRole && column == LocationColumn::Enabled) {
        newValue = value.value<Qt::CheckState>() == Qt::Checked;
    } else if (role == Qt::EditRole && column == LocationColumn::Path) {
        newValue = platform::qt::corePath(value.toString());
    } else {
        return false;
    }
    if (!model_.setValue(static_cast<std::size_t>(index.row()), column, newValue)) {
        return false;
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), 1));
    return true;
}

QVariant LocationsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    const char* text = section == kEnabledColumn ? "Enabled" : "Folder";
    return QString::fromStdString(translate_ ? translate_(text) : std::string(text));
}

Qt::ItemFlags LocationsTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    Qt::ItemFlags flags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    return flags |
           (index.column() == kEnabledColumn ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable);
}

QStringList LocationsTableModel::mimeTypes() const {
    return {RecordTableView::kRowMimeType, "text/uri-list"};
}

Qt::DropActions LocationsTableModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

void LocationsTableModel::reset() {
    beginResetModel();
    endResetModel();
}

} // namespace quillet::app
