#include "locations_table_model.h"

#include "platform/linux/qt/qt_text.h"
#include "shared/text_mark.h"
#include "shared/xdg_paths.h"

#include <QIcon>

namespace quillet::app {

namespace {

LocationColumn columnAt(int column) {
    return column == LocationsTableModel::kEnabledColumn ? LocationColumn::Enabled
                                                         : LocationColumn::Path;
}

} // namespace

LocationsTableModel::LocationsTableModel(LocationsModel& model, Translator translate,
                                         QObject* parent)
    : RecordTableModel(model, 2, parent), model_(model), translate_(std::move(translate)) {}

Value LocationsTableModel::valueAt(std::size_t row, int column) const {
    return model_.valueAt(row, columnAt(column));
}

std::string LocationsTableModel::toolTipAt(std::size_t row, int column) const {
    return model_.toolTip(row, columnAt(column));
}

bool LocationsTableModel::setValueAt(std::size_t row, int column, const Value& value) {
    return model_.setValue(row, columnAt(column), value);
}

QString LocationsTableModel::headerText(int column) const {
    const char* text = column == kEnabledColumn ? N_("Enabled") : N_("Folder");
    return QString::fromStdString(translate_ ? translate_(text) : std::string(text));
}

QVariant LocationsTableModel::decorationAt(std::size_t row, int column) const {
    if (column != kPathColumn) {
        return {};
    }
    const std::string path = model_.pathAt(row);
    if (path == paths::home()) {
        return QIcon::fromTheme("user-home", QIcon::fromTheme("folder"));
    }
    if (path == "/") {
        return QIcon::fromTheme("drive-harddisk", QIcon::fromTheme("folder"));
    }
    return QIcon::fromTheme("folder");
}

std::string LocationsTableModel::storedText(const QString& edited) const {
    return platform::qt::corePath(edited);
}

} // namespace quillet::app
