// The Templates pane: the templates as a table the user edits in place,
// reorders by dragging or with Alt+Up/Down, fills with files from an open
// panel or a file manager, and empties; plus opening, revealing, opening
// with another application and the shortcut sheet.
#pragma once

#include "app/core/app_services.h"
#include "app/core/preferences/open_with_model.h"
#include "app/core/preferences/templates_model.h"
#include "preferences_pane.h"

#include <memory>
#include <optional>

class QMenu;
class QToolButton;

namespace quillet::app {

class RecordTableView;
class TemplatesTableModel;

class TemplatesPreferencesViewController final : public PreferencesPane {
    Q_OBJECT
public:
    TemplatesPreferencesViewController(AppServices& services, QWidget* parent = nullptr);
    ~TemplatesPreferencesViewController() override;

    QString identifier() const override { return QStringLiteral("TemplatesPreferences"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override;
    bool hasResizableWidth() const override { return true; }
    bool hasResizableHeight() const override { return true; }
    QWidget* initialKeyView() override;
    // The size the window first gives the pane.
    QSize sizeHint() const override { return QSize(720, 380); }

    RecordTableView* tableView() const { return table_; }
    TemplatesModel& model() { return *model_; }

    void addTemplates();
    void addFileTemplates(const QStringList& paths);
    void removeTemplates();
    void openTemplate();
    void revealTemplates();
    void editShortcut();
    void showHelp();

private:
    QString tr_(const char* text) const;
    void buildContextMenu();
    void updateEnabling();
    void fillOpenWithMenu();
    void moveRows(const std::set<std::size_t>& rows, std::size_t dropRow);
    void afterAdding(std::size_t added);
    bool editInProgress() const;

    AppServices& services_;
    std::unique_ptr<TemplatesModel> model_;
    std::unique_ptr<OpenWithModel> openWith_;
    TemplatesTableModel* tableModel_ = nullptr;
    RecordTableView* table_ = nullptr;
    QToolButton* addButton_ = nullptr;
    QToolButton* removeButton_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    QMenu* openWithMenu_ = nullptr;
    bool sheetOpen_ = false;
};

} // namespace quillet::app
