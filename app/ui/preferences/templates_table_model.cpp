#include "templates_table_model.h"

#include "record_table_view.h"

#include "shared/app_util.h"
#include "shared/keys.h"
#include "shared/xdg_paths.h"

namespace quillet::app {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

bool isCheckColumn(TemplateColumn column) {
    return column == TemplateColumn::Enabled || column == TemplateColumn::Executable;
}

} // namespace

TemplatesTableModel::TemplatesTableModel(TemplatesModel& model, const FileTypes& fileTypes,
                                         Translator translate, QObject* parent)
    : QAbstractTableModel(parent), model_(model), fileTypes_(fileTypes),
      translate_(std::move(translate)) {}

TemplateColumn TemplatesTableModel::columnAt(int column) {
    return TemplatesModel::columns().at(static_cast<std::size_t>(column));
}

int TemplatesTableModel::columnOf(TemplateColumn column) {
    const auto& all = TemplatesModel::columns();
    return static_cast<int>(std::find(all.begin(), all.end(), column) - all.begin());
}

int TemplatesTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(model_.count());
}

int TemplatesTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(TemplatesModel::columns().size());
}

QIcon TemplatesTableModel::iconForRow(int row) const {
    const std::string path = model_.filePathAt(static_cast<std::size_t>(row));
    if (AppUtil::isDir(path)) {
        return QIcon::fromTheme("folder");
    }
    const QString extension = text(paths::pathExtension(path));
    auto it = icons_.find(extension);
    if (it == icons_.end()) {
        auto name = fileTypes_.iconNameForExtension(extension.toStdString());
        it = icons_.insert(extension, QIcon::fromTheme(text(name.value_or("text-x-generic")),
                                                       QIcon::fromTheme("text-x-generic")));
    }
    return *it;
}

QVariant TemplatesTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const TemplateColumn column = columnAt(index.column());
    const Value value = model_.valueAt(row, column);
    switch (role) {
    case Qt::CheckStateRole:
        if (isCheckColumn(column)) {
            return value.asBool().value_or(false) ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (isCheckColumn(column)) {
            return {};
        }
        return value.asString() ? text(*value.asString()) : QString();
    case Qt::DecorationRole:
        return column == TemplateColumn::Title ? QVariant(iconForRow(index.row())) : QVariant();
    case Qt::ToolTipRole:
        return text(model_.toolTip(row, column));
    case Qt::AccessibleTextRole:
        if (isCheckColumn(column)) {
            return headerData(index.column(), Qt::Horizontal, Qt::DisplayRole);
        }
        return {};
    default:
        return {};
    }
}

bool TemplatesTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount()) {
        return false;
    }
    const TemplateColumn column = columnAt(index.column());
    Value newValue;
    if (role == Qt::CheckStateRole && isCheckColumn(column)) {
        newValue = value.value<Qt::CheckState>() == Qt::Checked;
    } else if (role == Qt::EditRole && !isCheckColumn(column)) {
        newValue = value.toString().toStdString();
    } else {
        return false;
    }
    if (!model_.setValue(static_cast<std::size_t>(index.row()), column, newValue)) {
        return false;
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

QVariant TemplatesTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    const TemplateColumn column = columnAt(section);
    if (role == Qt::ToolTipRole && column != TemplateColumn::Title) {
        return model_.count() > 0 ? text(model_.toolTip(0, column)) : QVariant();
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (column) {
    case TemplateColumn::Enabled:
        return text(translate_("Enabled"));
    case TemplateColumn::Title:
        return text(translate_("Title"));
    case TemplateColumn::Prefix:
        return text(translate_("File Name"));
    case TemplateColumn::Suffix:
        return text(translate_("Extension"));
    case TemplateColumn::Executable:
        return text(translate_("Executable"));
    case TemplateColumn::Shortcut:
        return text(translate_("Shortcut"));
    }
    return {};
}

Qt::ItemFlags TemplatesTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    Qt::ItemFlags flags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    const TemplateColumn column = columnAt(index.column());
    if (isCheckColumn(column)) {
        flags |= Qt::ItemIsUserCheckable;
    } else if (column != TemplateColumn::Shortcut) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QStringList TemplatesTableModel::mimeTypes() const {
    return {RecordTableView::kRowMimeType, "text/uri-list"};
}

Qt::DropActions TemplatesTableModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

void TemplatesTableModel::reset() {
    beginResetModel();
    endResetModel();
}

} // namespace quillet::app
