// A list pane's table as a Qt item model over the core's RecordListModel:
// one row per record, check-box columns for the flags, text cells edited in
// place, and the drop types of RecordTableView. A subclass names its columns
// and forwards cells to its core model.
#pragma once

#include "app/core/preferences/record_list_model.h"

#include <QAbstractTableModel>

namespace quillet::app {

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;

    // Tells the views that the whole list may have changed.
    void reset();

protected:
    RecordTableModel(const RecordListModel& records, int columns, QObject* parent);

    // What the cell shows: a boolean for a check column, else a string or null.
    virtual Value valueAt(std::size_t row, int column) const = 0;
    virtual std::string toolTipAt(std::size_t row, int column) const = 0;
    // True when the record changed (and was saved).
    virtual bool setValueAt(std::size_t row, int column, const Value& value) = 0;
    virtual bool isCheckColumn(int column) const = 0;
    // Text columns are editable unless this says otherwise.
    virtual bool isEditableTextColumn(int /*column*/) const { return true; }
    virtual QString headerText(int column) const = 0;
    virtual QVariant headerToolTip(int /*column*/) const { return {}; }
    virtual QVariant decorationAt(std::size_t row, int column) const = 0;
    // An edited text as the record stores it.
    virtual std::string storedText(const QString& edited) const { return edited.toStdString(); }

private:
    const RecordListModel& records_;
    int columns_;
};

} // namespace quillet::app
