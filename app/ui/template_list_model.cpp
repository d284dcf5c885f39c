#include "template_list_model.h"

#include "platform/linux/qt/qt_text.h"

namespace quillet::app {

using platform::qt::qtText;

bool TemplateListModel::setTemplates(std::vector<FileTemplate> templates) {
    if (templates == templates_) {
        return false;
    }
    beginResetModel();
    templates_ = std::move(templates);
    endResetModel();
    return true;
}

int TemplateListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(templates_.size());
}

QVariant TemplateListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const FileTemplate& record = templates_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return qtText(record.title);
    case Qt::ToolTipRole:
        return qtText(record.defaultName());
    case Qt::DecorationRole:
        return icons_.iconFor(record);
    default:
        return {};
    }
}

Qt::ItemFlags TemplateListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

} // namespace quillet::app
