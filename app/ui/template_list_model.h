// The popover's rows: one per enabled template, its title shown, its default
// file name as the tip, and the icon of its file type, looked up only when a
// row is drawn. A list of thousands costs a vector of records and nothing
// per row until the view asks for it.
#pragma once

#include "platform/linux/qt/template_icon.h"
#include "shared/records.h"

#include <QAbstractListModel>

#include <vector>

namespace quillet::app {

class TemplateListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TemplateListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    // Replaces every row at once; false, and no reset, when the templates
    // are the ones already shown.
    bool setTemplates(std::vector<FileTemplate> templates);
    const std::vector<FileTemplate>& templates() const { return templates_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<FileTemplate> templates_;
    // Filled as rows are drawn; every template of one file type shares its icon.
    mutable platform::qt::TemplateIcons icons_{nullptr};
};

} // namespace quillet::app
