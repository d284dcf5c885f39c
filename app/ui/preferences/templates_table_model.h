// The Templates pane's table as a Qt item model over the core's TemplatesModel.
#pragma once

#include "record_table_model.h"

#include "app/core/preferences/templates_model.h"

#include <QHash>
#include <QIcon>

namespace quillet::app {

class TemplatesTableModel final : public RecordTableModel {
    Q_OBJECT
public:
    TemplatesTableModel(TemplatesModel& model, const FileTypes& fileTypes, Translator translate,
                        QObject* parent = nullptr);

    static TemplateColumn columnAt(int column);
    static int columnOf(TemplateColumn column);

private:
    Value valueAt(std::size_t row, int column) const override;
    std::string toolTipAt(std::size_t row, int column) const override;
    bool setValueAt(std::size_t row, int column, const Value& value) override;
    bool isCheckColumn(int column) const override;
    bool isEditableTextColumn(int column) const override;
    QString headerText(int column) const override;
    QVariant headerToolTip(int column) const override;
    QVariant decorationAt(std::size_t row, int column) const override;

    TemplatesModel& model_;
    const FileTypes& fileTypes_;
    Translator translate_;
    mutable QHash<QString, QIcon> icons_;
};

} // namespace quillet::app
