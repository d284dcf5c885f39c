#include "templates_pane.h"

#include "image_title_delegate.h"
#include "list_pane_controls.h"
#include "record_table_view.h"
#include "shortcut_window_controller.h"
#include "templates_table_model.h"

#include "app/core/help.h"
#include "app/core/preferences/stored_locations.h"
#include "platform/linux/qt/qt_text.h"
#include "shared/keys.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>
#include <QThreadPool>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillet::app {

TemplatesPreferencesViewController::TemplatesPreferencesViewController(AppServices& services,
                                                                       QWidget* parent)
    : PreferencesPane(parent), services_(services) {
    setObjectName("TemplatesPreferences");
    model_ = std::make_unique<TemplatesModel>(
        services.openSharedDefaults(),
        TemplatesModelPorts{services.notifications, services.localNotifications, services.fileTypes,
                            services.translate},
        services.templatesDir);
    openWith_ = std::make_unique<OpenWithModel>(
        services.workspace, services.mainQueue,
        [](std::function<void()> task) { QThreadPool::globalInstance()->start(std::move(task)); },
        services.translate);

    tableModel_ = new TemplatesTableModel(*model_, services.fileTypes, services.translate, this);
    table_ = new RecordTableView(this);
    table_->setObjectName("TemplatesTable");
    table_->setAccessibleName(tr_("Templates"));
    table_->setModel(tableModel_);
    table_->setItemDelegateForColumn(TemplatesTableModel::columnOf(TemplateColumn::Title),
                                     new ImageTitleDelegate(table_));
    auto* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(TemplatesTableModel::columnOf(TemplateColumn::Title),
                                 QHeaderView::Stretch);
    header->resizeSection(TemplatesTableModel::columnOf(TemplateColumn::Enabled), 64);
    header->resizeSection(TemplatesTableModel::columnOf(TemplateColumn::Executable), 80);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);

    addButton_ =
        makePaneButton(this, "list-add", tr_("Add Templates…"), tr_("Add files as templates"));
    addButton_->setObjectName("AddTemplatesButton");
    removeButton_ = makePaneButton(this, "list-remove", tr_("Remove Templates…"),
                                   tr_("Remove the selected templates"));
    removeButton_->setObjectName("RemoveTemplatesButton");
    auto* helpButton = makePaneButton(this, "help-browser", tr_("Help"), tr_("Help"));
    helpButton->setObjectName("TemplatesHelpButton");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton_);
    buttons->addWidget(removeButton_);
    buttons->addStretch(1);
    buttons->addWidget(helpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);

    buildContextMenu();
    connect(addButton_, &QToolButton::clicked, this, [this] { addTemplates(); });
    connect(removeButton_, &QToolButton::clicked, this, [this] { removeTemplates(); });
    connect(helpButton, &QToolButton::clicked, this, [this] { showHelp(); });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateEnabling(); });
    connect(tableModel_, &QAbstractItemModel::modelReset, this, [this] { updateEnabling(); });
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
            [this](const QStringList& paths) { addFileTemplates(paths); });
    connect(table_, &RecordTableView::removeRequested, this, [this] { removeTemplates(); });
    const int shortcutColumn = TemplatesTableModel::columnOf(TemplateColumn::Shortcut);
    auto onShortcutCell = [this, shortcutColumn](const QModelIndex& index) {
        if (index.isValid() && index.column() == shortcutColumn) {
            editShortcut();
        }
    };
    connect(table_, &QAbstractItemView::doubleClicked, this, onShortcutCell);
    connect(table_, &RecordTableView::cellActivated, this, onShortcutCell);
    connect(table_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu_->popup(table_->viewport()->mapToGlobal(at)); });

    model_->setExternalChangeHandlers([this] { return !editInProgress(); },
                                      [this] { tableModel_->reset(); });
    model_->setSaveFailureHandler([this](const std::string& why) {
        showPaneSheet(this, "TemplatesSaveFailedSheet", tr_("The templates could not be saved"),
                      QString::fromStdString(why), nullptr, nullptr);
    });
    updateEnabling();
}

TemplatesPreferencesViewController::~TemplatesPreferencesViewController() = default;

QString TemplatesPreferencesViewController::tr_(const char* text) const {
    return translated(services_, text);
}

QIcon TemplatesPreferencesViewController::toolbarItemImage() const {
    return QIcon::fromTheme("text-x-generic-template", QIcon::fromTheme("document-new"));
}

QString TemplatesPreferencesViewController::toolbarItemLabel() const {
    return tr_("Templates");
}

QWidget* TemplatesPreferencesViewController::initialKeyView() {
    return table_;
}

bool TemplatesPreferencesViewController::editInProgress() const {
    return sheetOpen_ || table_->isBusy();
}

void TemplatesPreferencesViewController::buildContextMenu() {
    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName("TemplatesContextMenu");
    auto add = [this](const char* icon, const char* text, auto slot, TemplateAction action) {
        QAction* a = contextMenu_->addAction(QIcon::fromTheme(icon), tr_(text), this, slot);
        a->setData(static_cast<int>(action));
        return a;
    };
    add(
        "document-open", "Open", [this] { openTemplate(); }, TemplateAction::Open);
    openWithMenu_ = contextMenu_->addMenu(QIcon::fromTheme("document-open"), tr_("Open With"));
    openWithMenu_->setObjectName("OpenWithMenu");
    openWithMenu_->menuAction()->setData(static_cast<int>(TemplateAction::Open));
    add(
        "folder-open", "Show in File Manager", [this] { revealTemplates(); },
        TemplateAction::Reveal);
    add(
        "preferences-desktop-keyboard-shortcuts", "Edit Shortcut…", [this] { editShortcut(); },
        TemplateAction::EditShortcut);
    contextMenu_->addSeparator();
    add(
        "list-remove", "Remove…", [this] { removeTemplates(); }, TemplateAction::Remove);
    connect(contextMenu_, &QMenu::aboutToShow, this, [this] { updateEnabling(); });
    connect(openWithMenu_, &QMenu::aboutToShow, this, [this] { fillOpenWithMenu(); });
}

void TemplatesPreferencesViewController::updateEnabling() {
    const std::size_t selected = table_->selectedRows().size();
    removeButton_->setEnabled(validateUserInterfaceItem(TemplateAction::Remove, selected));
    for (QAction* action : contextMenu_->actions()) {
        if (action->data().isValid()) {
            action->setEnabled(validateUserInterfaceItem(
                static_cast<TemplateAction>(action->data().toInt()), selected));
        }
    }
    // The open-with menu says itself when nothing is selected.
    openWithMenu_->menuAction()->setEnabled(true);
}

void TemplatesPreferencesViewController::fillOpenWithMenu() {
    const auto rows = table_->selectedRows();
    std::optional<std::string> path;
    if (!rows.empty()) {
        path = model_->filePathAt(*rows.begin());
    }
    auto show = [this, path](const OpenWithModel::Menu& menu) {
        openWithMenu_->clear();
        if (menu.apps.empty()) {
            openWithMenu_->addAction(QString::fromStdString(menu.placeholder))->setEnabled(false);
            return;
        }
        for (std::size_t i = 0; i < menu.apps.size(); ++i) {
            const auto& app = menu.apps[i];
            const QString icon = QString::fromStdString(app.icon);
            QIcon image = icon.startsWith('/') ? QIcon(icon) : QIcon::fromTheme(icon);
            openWithMenu_->addAction(
                image, QString::fromStdString(app.name), this,
                [this, i, file = *path] { openWith_->openFileWithApp(i, file); });
        }
    };
    show(openWith_->menuWillOpen(path, show));
}

void TemplatesPreferencesViewController::moveRows(const std::set<std::size_t>& rows,
                                                  std::size_t dropRow) {
    RowMove move = model_->moveRows(rows, dropRow);
    tableModel_->reset();
    table_->selectRows(move.first, move.count);
}

void TemplatesPreferencesViewController::addTemplates() {
    OpenPanelOptions options;
    options.title = services_.translate("Select Templates");
    options.message = services_.translate("Please select the template(s) you would like to add");
    options.prompt = services_.translate("Add");
    options.canChooseFiles = true;
    options.canChooseDirectories = false;
    options.allowsMultipleSelection = true;
    QPointer<TemplatesPreferencesViewController> self(this);
    services_.panels.beginOpenPanelForPaths(
        options, [self](const std::vector<std::string>& chosen) {
            if (self && !chosen.empty()) {
                self->afterAdding(self->model_->addFileTemplates(chosen));
            }
        });
}

void TemplatesPreferencesViewController::addFileTemplates(const QStringList& paths) {
    std::vector<std::string> files;
    for (const QString& path : paths) {
        files.push_back(platform::qt::corePath(path));
    }
    afterAdding(model_->addFileTemplates(files));
}

void TemplatesPreferencesViewController::afterAdding(std::size_t added) {
    tableModel_->reset();
    table_->selectRows(model_->count() - added, added);
    table_->scrollToBottom();
}

void TemplatesPreferencesViewController::removeTemplates() {
    confirmRemovingSelectedRows(this, table_, sheetOpen_,
                                {"NoTemplateSelectedSheet", tr_("No template selected"),
                                 tr_("Please select the templates you would like to remove."),
                                 "RemoveTemplatesSheet", tr_("Remove file templates"),
                                 tr_("Are you sure to remove the selected templates?")},
                                [this](const std::set<std::size_t>& rows) {
                                    model_->removeFileTemplatesAtIndexes(rows);
                                    tableModel_->reset();
                                });
}

void TemplatesPreferencesViewController::openTemplate() {
    std::vector<std::string> stored;
    for (std::size_t row : table_->selectedRows()) {
        stored.push_back(model_->stringAt(row, keys::kFilePath));
    }
    openFirstStoredLocation(services_.workspace, stored);
}

void TemplatesPreferencesViewController::revealTemplates() {
    std::vector<std::string> paths;
    for (std::size_t row : table_->selectedRows()) {
        paths.push_back(model_->filePathAt(row));
    }
    revealPaths(services_.workspace, std::move(paths));
}

void TemplatesPreferencesViewController::editShortcut() {
    const auto rows = table_->selectedRows();
    if (rows.empty()) {
        return;
    }
    const std::size_t row = *rows.begin();
    sheetOpen_ = true;
    QPointer<TemplatesPreferencesViewController> self(this);
    app::editShortcut(
        services_, this, row, model_->records().at(row),
        [self](const Value::Array& templates) {
            if (self) {
                self->model_->replaceRecords(templates);
                self->tableModel_->reset();
            }
        },
        [self, row](int) {
            if (self) {
                self->sheetOpen_ = false;
                if (row < self->model_->count()) {
                    self->table_->selectRows(row, 1);
                }
            }
        });
}

void TemplatesPreferencesViewController::showHelp() {
    (void)showHelpPage(services_.workspace, services_.helpDir, kHelpTemplatesPage);
}

} // namespace quillet::app
