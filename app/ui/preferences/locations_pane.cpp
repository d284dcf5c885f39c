#include "locations_pane.h"

#include "image_title_delegate.h"
#include "locations_table_model.h"
#include "record_table_view.h"

#include "app/core/help.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QVBoxLayout>

namespace quillet::app {

FinderPreferencesViewController::FinderPreferencesViewController(AppServices& services,
                                                                 QWidget* parent)
    : RecordListPane(services, parent) {
    setObjectName("FinderPreferences");
    model_ = std::make_unique<LocationsModel>(services.openSharedDefaults, services.notifications,
                                              services.translate);
    setUp(*model_, new LocationsTableModel(*model_, services.translate, this),
          {.stem = "Locations",
           .tableName = tr_("Locations"),
           .addText = tr_("Add Locations…"),
           .addToolTip = tr_("Add folders where the menu appears"),
           .removeText = tr_("Remove Locations…"),
           .removeToolTip = tr_("Remove the selected locations"),
           .saveFailedTitle = tr_("The locations could not be saved"),
           .removal = {"NoLocationSelectedSheet", tr_("No location selected"),
                       tr_("Please select the locations you would like to remove."),
                       "RemoveLocationsSheet", tr_("Remove locations"),
                       [question = tr_("Are you sure to remove the selected locations?")](
                           const std::set<std::size_t>&) { return question; }},
           .helpPage = kHelpLocationsPage,
           .selectsAddedRows = false});

    RecordTableView* table = tableView();
    table->setItemDelegateForColumn(LocationsTableModel::kPathColumn,
                                    new ImageTitleDelegate(table));
    table->horizontalHeader()->resizeSection(LocationsTableModel::kEnabledColumn, 64);
    table->horizontalHeader()->setSectionResizeMode(LocationsTableModel::kPathColumn,
                                                    QHeaderView::Stretch);

    includeExternalDrivesButton_ =
        new QCheckBox(tr_("Also show the menu on removable drives"), this);
    includeExternalDrivesButton_->setObjectName("IncludeExternalDrivesButton");
    includeExternalDrivesButton_->setAccessibleName(includeExternalDrivesButton_->text());
    includeExternalDrivesButton_->setChecked(model_->includeExternalDrives());
    paneLayout()->addWidget(includeExternalDrivesButton_);
    // Toggled, not clicked: assistive tools flip the box through its action.
    connect(includeExternalDrivesButton_, &QCheckBox::toggled, this,
            [this](bool on) { model_->setIncludeExternalDrives(on); });
}

FinderPreferencesViewController::~FinderPreferencesViewController() = default;

QIcon FinderPreferencesViewController::toolbarItemImage() const {
    return QIcon::fromTheme("folder");
}

QString FinderPreferencesViewController::toolbarItemLabel() const {
    return tr_("Locations");
}

void FinderPreferencesViewController::addMenuActions() {
    addMenuAction("folder-open", "Open", RowAction::Open, [this] { openSelectedRow(); });
    addMenuAction("system-file-manager", "Show in File Manager", RowAction::Reveal,
                  [this] { revealSelectedRows(); });
}

OpenPanelOptions FinderPreferencesViewController::openPanelOptions() const {
    OpenPanelOptions options;
    options.title = services().translate("Select Locations");
    options.message =
        services().translate("Please select the folders you would like to add the context menu to");
    options.prompt = services().translate("Add");
    options.canChooseFiles = false;
    options.canChooseDirectories = true;
    options.allowsMultipleSelection = true;
    return options;
}

std::size_t FinderPreferencesViewController::addPaths(const std::vector<std::string>& paths) {
    return model_->addFolders(paths);
}

} // namespace quillet::app
