#include "templates_table_model.h"

#include "shared/files/item_lookup.h"
#include "shared/localized_strings.h"
#include "shared/xdg_paths.h"

#include <algorithm>

namespace quillet::app {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TemplatesTableModel::TemplatesTableModel(TemplatesModel& model, const FileTypes& fileTypes,
                                         Translator translate, QObject* parent)
    : RecordTableModel(model, static_cast<int>(TemplatesModel::columns().size()), parent),
      model_(model), fileTypes_(fileTypes), translate_(std::move(translate)) {}

TemplateColumn TemplatesTableModel::columnAt(int column) {
    return TemplatesModel::columns().at(static_cast<std::size_t>(column));
}

int TemplatesTableModel::columnOf(TemplateColumn column) {
    const auto& all = TemplatesModel::columns();
    return static_cast<int>(std::find(all.begin(), all.end(), column) - all.begin());
}

Value TemplatesTableModel::valueAt(std::size_t row, int column) const {
    return model_.valueAt(row, columnAt(column));
}

std::string TemplatesTableModel::toolTipAt(std::size_t row, int column) const {
    std::string tip = model_.toolTip(row, columnAt(column));
    if (columnAt(column) == TemplateColumn::Prefix) {
        for (const std::string& name : model_.unknownVariablesAt(row)) {
            tip += "\n" + formatWithTitle(translate_("Unknown variable: %@"), "{" + name + "}");
        }
    }
    return tip;
}

bool TemplatesTableModel::setValueAt(std::size_t row, int column, const Value& value) {
    return model_.setValue(row, columnAt(column), value);
}

bool TemplatesTableModel::isCheckColumn(int column) const {
    const TemplateColumn c = columnAt(column);
    return c == TemplateColumn::Enabled || c == TemplateColumn::Executable;
}

bool TemplatesTableModel::isEditableTextColumn(int column) const {
    return columnAt(column) != TemplateColumn::Shortcut; // only through the shortcut sheet
}

QString TemplatesTableModel::headerText(int column) const {
    switch (columnAt(column)) {
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

QVariant TemplatesTableModel::headerToolTip(int column) const {
    // Every column but the title's has one tool tip for all rows.
    const TemplateColumn c = columnAt(column);
    if (c == TemplateColumn::Title || model_.count() == 0) {
        return {};
    }
    return text(model_.toolTip(0, c));
}

QVariant TemplatesTableModel::decorationAt(std::size_t row, int column) const {
    // A name in braces that is no variable is most likely mistyped.
    if (columnAt(column) == TemplateColumn::Prefix) {
        return model_.unknownVariablesAt(row).empty()
                   ? QVariant()
                   : QVariant(QIcon::fromTheme("dialog-warning"));
    }
    if (columnAt(column) != TemplateColumn::Title) {
        return {};
    }
    const std::string path = model_.pathAt(row);
    if (isFolder(path)) {
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

} // namespace quillet::app
