// The Locations pane's table as a Qt item model over the core's LocationsModel.
#pragma once

#include "app/core/preferences/locations_model.h"

#include <QAbstractTableModel>

namespace quillet::app {

class LocationsTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    LocationsTableModel(LocationsModel& model, Translator translate, QObject* parent = nullptr);

    static constexpr int kEnabledColumn = 0;
    static constexpr int kPathColumn = 1;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;

    void reset();

private:
    LocationsModel& model_;
    Translator translate_;
};

} // namespace quillet::app
