// The Locations pane: the folders in which the file manager offers the menu,
// edited like the templates (in place, by dragging, from an open panel or a
// file manager), and the option for removable drives.
#pragma once

#include "app/core/app_services.h"
#include "app/core/preferences/locations_model.h"
#include "preferences_pane.h"

#include <memory>

class QCheckBox;
class QMenu;
class QToolButton;

namespace quillet::app {

class LocationsTableModel;
class RecordTableView;

class FinderPreferencesViewController final : public PreferencesPane {
    Q_OBJECT
public:
    FinderPreferencesViewController(AppServices& services, QWidget* parent = nullptr);
    ~FinderPreferencesViewController() override;

    QString identifier() const override { return QStringLiteral("FinderPreferences"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override;
    bool hasResizableWidth() const override { return true; }
    bool hasResizableHeight() const override { return true; }
    QWidget* initialKeyView() override;
    // The size the window first gives the pane.
    QSize sizeHint() const override { return QSize(600, 340); }

    RecordTableView* tableView() const { return table_; }
    LocationsModel& model() { return *model_; }

    void addLocations();
    void addFilePaths(const QStringList& paths);
    void removeTemplates();
    void openTemplate();
    void revealTemplates();
    void showHelp();

private:
    QString tr_(const char* text) const;
    void updateEnabling();
    void moveRows(const std::set<std::size_t>& rows, std::size_t dropRow);
    void afterAdding();

    AppServices& services_;
    std::unique_ptr<LocationsModel> model_;
    LocationsTableModel* tableModel_ = nullptr;
    RecordTableView* table_ = nullptr;
    QToolButton* removeButton_ = nullptr;
    QCheckBox* includeExternalDrivesButton_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    bool sheetOpen_ = false;
};

} // namespace quillet::app
