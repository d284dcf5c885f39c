// Under the Templates table: the selected template's own options (variables
// in its text, the served folders it is kept for) and the button that adds
// items of the desktop's templates folder.
#pragma once

#include "app/core/preferences/templates_model.h"
#include "shared/localized_strings.h"

#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace quillet::app {

class RecordTableView;

class TemplateOptions final : public QWidget {
    Q_OBJECT
public:
    // `rowsAdded(first, count)` runs after rows were appended to the model.
    TemplateOptions(TemplatesModel& model, RecordTableView& table, Translator translate,
                    std::function<void(std::size_t first, std::size_t count)> rowsAdded,
                    QWidget* parent = nullptr);

    // Shows the options of the one selected row; disabled otherwise.
    void reload();
    // Offers the templates folder's items that are no templates yet.
    void addFromTemplatesFolder();

private:
    QString text(const char* english) const;
    std::optional<std::size_t> selectedRow() const;
    void saveFolders();

    TemplatesModel& model_;
    RecordTableView& table_;
    Translator translate_;
    std::function<void(std::size_t, std::size_t)> rowsAdded_;
    QCheckBox* expands_ = nullptr;
    QLabel* foldersLabel_ = nullptr;
    QListWidget* folders_ = nullptr;
    QPushButton* addFromFolder_ = nullptr;
};

} // namespace quillet::app
