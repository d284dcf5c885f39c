// The Locations pane's table as a Qt item model over the core's LocationsModel.
#pragma once

#include "record_table_model.h"

#include "app/core/preferences/locations_model.h"

namespace quillet::app {

class LocationsTableModel final : public RecordTableModel {
    Q_OBJECT
public:
    LocationsTableModel(LocationsModel& model, Translator translate, QObject* parent = nullptr);

    static constexpr int kEnabledColumn = 0;
    static constexpr int kPathColumn = 1;

private:
    Value valueAt(std::size_t row, int column) const override;
    std::string toolTipAt(std::size_t row, int column) const override;
    bool setValueAt(std::size_t row, int column, const Value& value) override;
    bool isCheckColumn(int column) const override { return column == kEnabledColumn; }
    QString headerText(int column) const override;
    QVariant decorationAt(std::size_t row, int column) const override;
    // A folder typed in the cell is a path in the file system's encoding.
    std::string storedText(const QString& edited) const override;

    LocationsModel& model_;
    Translator translate_;
};

} // namespace quillet::app
