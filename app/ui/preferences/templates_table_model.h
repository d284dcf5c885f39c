// The Templates pane's table as a Qt item model over the core's TemplatesModel.
#pragma once

#include "app/core/preferences/templates_model.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>

namespace quillet::app {

class TemplatesTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    TemplatesTableModel(TemplatesModel& model, const FileTypes& fileTypes, Translator translate,
                        QObject* parent = nullptr);

    static TemplateColumn columnAt(int column);
    static int columnOf(TemplateColumn column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;

    TemplatesModel& core() { return model_; }
    // Tells the views that the whole list may have changed.
    void reset();

private:
    QIcon iconForRow(int row) const;

    TemplatesModel& model_;
    const FileTypes& fileTypes_;
    Translator translate_;
    mutable QHash<QString, QIcon> icons_;
};

} // namespace quillet::app
