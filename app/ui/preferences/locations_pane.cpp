#include "locations_pane.h"

#include "app/core/preferences/templates_model.h"
#include "image_title_delegate.h"
#include "list_pane_controls.h"
#include "locations_table_model.h"
#include "record_table_view.h"

#include "app/core/help.h"
#include "app/core/preferences/stored_locations.h"
#include "platform/linux/qt/qt_text.h"
#include "shared/keys.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillet::app {

FinderPreferencesViewController::FinderPreferencesViewController(AppServices& services,
                                                                 QWidget* parent)
    : PreferencesPane(parent), services_(services) {
    setObjectName("FinderPreferences");
    model_ = std::make_unique<LocationsModel>(services.openSharedDefaults, services.notifications,
                                              services.translate);
    tableModel_ = new LocationsTableModel(*model_, services.translate, this);
    table_ = new RecordTableView(this);
    table_->setObjectName("LocationsTable");
    table_->setAccessibleName(tr_("Locations"));
    table_->setModel(tableModel_);
    table_->setItemDelegateForColumn(LocationsTableModel::kPathColumn,
                                     new ImageTitleDelegate(table_));
    table_->horizontalHeader()->resizeSection(LocationsTableModel::kEnabledColumn, 64);
    table_->horizontalHeader()->setSectionResizeMode(LocationsTableModel::kPathColumn,
                                                     QHeaderView::Stretch);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* addButton = makePaneButton(this, "list-add", tr_("Add Locations…"),
                                     tr_("Add folders where the menu appears"));
    addButton->setObjectName("AddLocationsButton");
    removeButton_ = makePaneButton(this, "list-remove", tr_("Remove Locations…"),
                                   tr_("Remove the selected locations"));
    removeButton_->setObjectName("RemoveLocationsButton");
    auto* helpButton = makePaneButton(this, "help-browser", tr_("Help"), tr_("Help"));
    helpButton->setObjectName("LocationsHelpButton");
    includeExternalDrivesButton_ =
        new QCheckBox(tr_("Also show the menu on removable drives"), this);
    includeExternalDrivesButton_->setObjectName("IncludeExternalDrivesButton");
    includeExternalDrivesButton_->setAccessibleName(includeExternalDrivesButton_->text());
    includeExternalDrivesButton_->setChecked(model_->includeExternalDrives());

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(removeButton_);
    buttons->addStretch(1);
    buttons->addWidget(helpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    layout->addWidget(includeExternalDrivesButton_);

    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName("LocationsContextMenu");
    auto add = [this](const char* icon, const char* text, auto slot, TemplateAction action) {
        QAction* a = contextMenu_->addAction(QIcon::fromTheme(icon), tr_(text), this, slot);
        a->setData(static_cast<int>(action));
    };
    add(
        "folder-open", "Open", [this] { openTemplate(); }, TemplateAction::Open);
    add(
        "system-file-manager", "Show in File Manager", [this] { revealTemplates(); },
        TemplateAction::Reveal);
    contextMenu_->addSeparator();
    add(
        "list-remove", "Remove…", [this] { removeTemplates(); }, TemplateAction::Remove);

    connect(addButton, &QToolButton::clicked, this, [this] { addLocations(); });
    connect(removeButton_, &QToolButton::clicked, this, [this] { removeTemplates(); });
    connect(helpButton, &QToolButton::clicked, this, [this] { showHelp(); });
    connect(includeExternalDrivesButton_, &QCheckBox::toggled, this,
            [this](bool on) { model_->setIncludeExternalDrives(on); });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateEnabling(); });
    connect(tableModel_, &QAbstractItemModel::modelReset, this, [this] { updateEnabling(); });
    connect(contextMenu_, &QMenu::aboutToShow, this, [this] { updateEnabling(); });
    connect(table_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu_->popup(table_->viewport()->mapToGlobal(at)); });
    connect(table_, &RecordTableView::rowsDropped, this,
            [this](const std::set<std::size_t>& rows, std::size_t dropRow) {
                moveRows(rows, dropRow);
            });
    connect(table_, &RecordTableView::moveStepRequested, this, [this](int direction) {
        const auto rows = table_->selectedRows();
        if (auto drop = dropRowForStep(model_->count(), rows, direction)) {
            moveRows(rows, *drop);
        }
    });
    connect(table_, &RecordTableView::filesDropped, this,
            [this](const QStringList& paths) { addFilePaths(paths); });
    connect(table_, &RecordTableView::removeRequested, this, [this] { removeTemplates(); });

    model_->setExternalChangeHandlers([this] { return !sheetOpen_ && !table_->isBusy(); },
                                      [this] { tableModel_->reset(); });
    model_->setSaveFailureHandler([this](const std::string& why) {
        showPaneSheet(this, "LocationsSaveFailedSheet", tr_("The locations could not be saved"),
                      QString::fromStdString(why), nullptr, nullptr);
    });
    updateEnabling();
}

FinderPreferencesViewController::~FinderPreferencesViewController() = default;

QString FinderPreferencesViewController::tr_(const char* text) const {
    return translated(services_, text);
}

QIcon FinderPreferencesViewController::toolbarItemImage() const {
    return QIcon::fromTheme("folder");
}

QString FinderPreferencesViewController::toolbarItemLabel() const {
    return tr_("Locations");
}

QWidget* FinderPreferencesViewController::initialKeyView() {
    return table_;
}

void FinderPreferencesViewController::updateEnabling() {
    const std::size_t selected = table_->selectedRows().size();
    removeButton_->setEnabled(validateUserInterfaceItem(TemplateAction::Remove, selected));
    for (QAction* action : contextMenu_->actions()) {
        if (action->data().isValid()) {
            action->setEnabled(validateUserInterfaceItem(
                static_cast<TemplateAction>(action->data().toInt()), selected));
        }
    }
}

void FinderPreferencesViewController::moveRows(const std::set<std::size_t>& rows,
                                               std::size_t dropRow) {
    RowMove move = model_->moveRows(rows, dropRow);
    tableModel_->reset();
    table_->selectRows(move.first, move.count);
}

void FinderPreferencesViewController::addLocations() {
    OpenPanelOptions options;
    options.title = services_.translate("Select Locations");
    options.message =
        services_.translate("Please select the folder(s) you would like to add the context menu");
    options.prompt = services_.translate("Add");
    options.canChooseFiles = false;
    options.canChooseDirectories = true;
    options.allowsMultipleSelection = true;
    QPointer<FinderPreferencesViewController> self(this);
    services_.panels.beginOpenPanelForPaths(options,
                                            [self](const std::vector<std::string>& chosen) {
                                                if (self && !chosen.empty()) {
                                                    self->model_->addFilePaths(chosen);
                                                    self->afterAdding();
                                                }
                                            });
}

void FinderPreferencesViewController::addFilePaths(const QStringList& paths) {
    std::vector<std::string> folders;
    for (const QString& path : paths) {
        folders.push_back(platform::qt::corePath(path));
    }
    model_->addFilePaths(folders);
    afterAdding();
}

void FinderPreferencesViewController::afterAdding() {
    tableModel_->reset();
    table_->clearSelection();
    table_->scrollToBottom();
}

void FinderPreferencesViewController::removeTemplates() {
    confirmRemovingSelectedRows(this, table_, sheetOpen_,
                                {"NoLocationSelectedSheet", tr_("No location selected"),
                                 tr_("Please select the locations you would like to remove."),
                                 "RemoveLocationsSheet", tr_("Remove locations"),
                                 tr_("Are you sure to remove the selected locations?")},
                                [this](const std::set<std::size_t>& rows) {
                                    model_->removeFilePathsAtIndexes(rows);
                                    tableModel_->reset();
                                });
}

void FinderPreferencesViewController::openTemplate() {
    std::vector<std::string> stored;
    for (std::size_t row : table_->selectedRows()) {
        stored.push_back(model_->stringAt(row, keys::kPath));
    }
    openFirstStoredLocation(services_.workspace, stored);
}

void FinderPreferencesViewController::revealTemplates() {
    std::vector<std::string> paths;
    for (std::size_t row : table_->selectedRows()) {
        paths.push_back(model_->pathAt(row));
    }
    revealPaths(services_.workspace, std::move(paths));
}

void FinderPreferencesViewController::showHelp() {
    (void)showHelpPage(services_.workspace, services_.helpDir, kHelpLocationsPage);
}

} // namespace quillet::app
