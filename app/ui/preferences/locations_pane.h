// The Locations pane: the folders in which the file manager offers the menu,
// edited like the templates (in place, by dragging, from an open panel or a
// file manager), and the option for removable drives.
#pragma once

#include "record_list_pane.h"

#include "app/core/preferences/locations_model.h"

#include <memory>

class QCheckBox;

namespace quillet::app {

class FinderPreferencesViewController final : public RecordListPane {
    Q_OBJECT
public:
    FinderPreferencesViewController(AppServices& services, QWidget* parent = nullptr);
    ~FinderPreferencesViewController() override;

    QString identifier() const override { return QStringLiteral("FinderPreferences"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override;
    // The size the window first gives the pane.
    QSize sizeHint() const override { return QSize(600, 340); }

    LocationsModel& model() { return *model_; }

private:
    void addMenuActions() override;
    OpenPanelOptions openPanelOptions() const override;
    std::size_t addPaths(const std::vector<std::string>& paths) override;

    std::unique_ptr<LocationsModel> model_;
    QCheckBox* includeExternalDrivesButton_ = nullptr;
};

} // namespace quillet::app
