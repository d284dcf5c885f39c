// What the Templates and Locations panes share: a RecordTableView over a
// RecordListModel, Add / Remove / Help buttons under it, a context menu, and
// the acts on the selected rows (open, reveal, remove with confirmation),
// reordering by dragging or Alt+Up/Down, files dropped from a file manager,
// and reloads held back while an edit or a sheet is in progress. A subclass
// builds its models, names its widgets and says what differs.
#pragma once

#include "app/core/app_services.h"
#include "app/core/preferences/record_list_model.h"
#include "list_pane_controls.h"
#include "preferences_pane.h"

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

class QMenu;
class QToolButton;
class QVBoxLayout;

namespace quillet::app {

class RecordTableModel;
class RecordTableView;

class RecordListPane : public PreferencesPane {
    Q_OBJECT
public:
    bool hasResizableWidth() const override { return true; }
    bool hasResizableHeight() const override { return true; }
    QWidget* initialKeyView() override;

    RecordTableView* tableView() const { return table_; }

    // Asks for items with an open panel and adds the chosen ones.
    void addFromOpenPanel();
    // Adds files or folders dropped from a file manager.
    void addDroppedPaths(const QStringList& paths);
    // Asks first; a note when nothing is selected.
    void removeSelectedRows();
    // Opens what the one selected row points at.
    void openSelectedRow();
    void revealSelectedRows();
    void showHelp();

protected:
    // What differs in the pane's widgets. `stem` names them for tests and
    // assistive tools: <stem>Table, Add<stem>Button, Remove<stem>Button,
    // <stem>HelpButton, <stem>ContextMenu, <stem>SaveFailedSheet.
    struct Description {
        QString stem;
        QString tableName;
        QString addText, addToolTip;
        QString removeText, removeToolTip;
        QString saveFailedTitle;
        RemovalSheets removal;
        const char* helpPage = nullptr;
        // Added rows end up selected (else the selection is cleared).
        bool selectsAddedRows = false;
    };

    RecordListPane(AppServices& services, QWidget* parent);
    ~RecordListPane() override;

    // Builds the table, buttons and menu; call at the end of the subclass's
    // constructor, once its models exist.
    void setUp(RecordListModel& records, RecordTableModel* tableModel, Description description);

    // A sheet on the window when the desktop could not do what was asked.
    void tellFailure(const Status& status, const QString& title);
    QString tr_(const char* text) const;
    AppServices& services() const { return services_; }
    RecordTableModel* tableModel() const { return tableModel_; }
    QMenu* contextMenu() const { return contextMenu_; }
    // The pane's main layout, for what a subclass shows under the buttons.
    QVBoxLayout* paneLayout() const { return layout_; }

    // Adds an item to the context menu, enabled by the selection as `action` says.
    QAction* addMenuAction(const char* icon, const char* text, RowAction action,
                           std::function<void()> act);
    // A sheet of the subclass's own is up: reloads wait until it closes.
    void setSheetOpen(bool open) { sheetOpen_ = open; }

    // The context menu's items before the separator and Remove.
    virtual void addMenuActions() = 0;
    virtual OpenPanelOptions openPanelOptions() const = 0;
    // Adds the paths the list takes; returns how many rows were added at the end.
    virtual std::size_t addPaths(const std::vector<std::string>& paths) = 0;

private:
    void updateEnabling();
    void moveRows(const std::set<std::size_t>& rows, std::size_t dropRow);
    void afterAdding(std::size_t added);

    AppServices& services_;
    RecordListModel* records_ = nullptr;
    RecordTableModel* tableModel_ = nullptr;
    RecordTableView* table_ = nullptr;
    QToolButton* removeButton_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    Description description_;
    bool sheetOpen_ = false;
};

} // namespace quillet::app
