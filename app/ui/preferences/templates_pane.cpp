#include "templates_pane.h"

#include "image_title_delegate.h"
#include "record_table_view.h"
#include "shortcut_window_controller.h"
#include "template_options.h"
#include "templates_table_model.h"

#include "app/core/help.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QThreadPool>
#include <QVBoxLayout>

#include <optional>

namespace quillet::app {

TemplatesPreferencesViewController::TemplatesPreferencesViewController(AppServices& services,
                                                                       QWidget* parent)
    : RecordListPane(services, parent) {
    setObjectName("TemplatesPreferences");
    model_ = std::make_unique<TemplatesModel>(
        services.openSharedDefaults(),
        TemplatesModelPorts{services.notifications, services.localNotifications, services.fileTypes,
                            services.translate, services.workspace},
        services.templatesDir);
    openWith_ = std::make_unique<OpenWithModel>(
        services.workspace, services.mainQueue,
        [](std::function<void()> task) { QThreadPool::globalInstance()->start(std::move(task)); },
        services.translate);

    auto* tableModel =
        new TemplatesTableModel(*model_, services.fileTypes, services.translate, this);
    setUp(*model_, tableModel,
          {.stem = "Templates",
           .tableName = tr_("Templates"),
           .addText = tr_("Add Templates…"),
           .addToolTip = tr_("Add files as templates"),
           .removeText = tr_("Remove Templates…"),
           .removeToolTip = tr_("Remove the selected templates"),
           .saveFailedTitle = tr_("The templates could not be saved"),
           .removal = {"NoTemplateSelectedSheet", tr_("No template selected"),
                       tr_("Please select the templates you would like to remove."),
                       "RemoveTemplatesSheet", tr_("Remove file templates"),
                       [this](const std::set<std::size_t>& rows) { return removalQuestion(rows); }},
           .helpPage = kHelpTemplatesPage,
           .selectsAddedRows = true});

    RecordTableView* table = tableView();
    table->setItemDelegateForColumn(TemplatesTableModel::columnOf(TemplateColumn::Title),
                                    new ImageTitleDelegate(table));
    auto* header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(TemplatesTableModel::columnOf(TemplateColumn::Title),
                                 QHeaderView::Stretch);
    header->resizeSection(TemplatesTableModel::columnOf(TemplateColumn::Enabled), 64);
    header->resizeSection(TemplatesTableModel::columnOf(TemplateColumn::Executable), 80);

    const int shortcutColumn = TemplatesTableModel::columnOf(TemplateColumn::Shortcut);
    auto onShortcutCell = [this, shortcutColumn](const QModelIndex& index) {
        if (index.isValid() && index.column() == shortcutColumn) {
            editShortcut();
        }
    };
    connect(table, &QAbstractItemView::doubleClicked, this, onShortcutCell);
    connect(table, &RecordTableView::cellActivated, this, onShortcutCell);

    paneLayout()->addWidget(new TemplateOptions(
        *model_, *table, services.translate,
        [this](std::size_t first, std::size_t count) {
            this->tableModel()->reset();
            tableView()->selectRows(first, count);
        },
        this));
    // Where the shortcuts go (the desktop's keyboard settings, key grabs, the
    // portal), or why they cannot work in this session.
    if (!services.shortcutMechanism.empty()) {
        auto* mechanism = new QLabel(tr_(services.shortcutMechanism.c_str()), this);
        mechanism->setObjectName("shortcutMechanism");
        mechanism->setWordWrap(true);
        mechanism->setAccessibleName(mechanism->text());
        paneLayout()->addWidget(mechanism);
    }
}

TemplatesPreferencesViewController::~TemplatesPreferencesViewController() = default;

QString
TemplatesPreferencesViewController::removalQuestion(const std::set<std::size_t>& rows) const {
    // Only files in Quillet's templates folder go to the trash: a template
    // kept elsewhere (the desktop's templates folder, a document) stays, and
    // the question must not make the user fear for it.
    const std::size_t trashed = model_->countTrashedOnRemoval(rows);
    if (trashed == rows.size()) {
        return translatedPlural(
            services(),
            "Remove %@ template? Its file in the templates folder is moved to the trash.",
            "Remove %@ templates? Their files in the templates folder are moved to the trash.",
            rows.size());
    }
    if (trashed == 0) {
        return translatedPlural(services(), "Remove %@ template? Its file stays where it is.",
                                "Remove %@ templates? Their files stay where they are.",
                                rows.size());
    }
    return translatedPlural(services(),
                            "Remove %@ templates? The copies in Quillet's templates folder are "
                            "moved to the trash; the other files stay where they are.",
                            "Remove %@ templates? The copies in Quillet's templates folder are "
                            "moved to the trash; the other files stay where they are.",
                            rows.size());
}

QIcon TemplatesPreferencesViewController::toolbarItemImage() const {
    return QIcon::fromTheme("text-x-generic-template", QIcon::fromTheme("document-new"));
}

QString TemplatesPreferencesViewController::toolbarItemLabel() const {
    return tr_("Templates");
}

void TemplatesPreferencesViewController::addMenuActions() {
    addMenuAction("document-open", "Open", RowAction::Open, [this] { openSelectedRow(); });
    // The open-with menu stays enabled: it says itself when nothing is selected.
    openWithMenu_ = contextMenu()->addMenu(QIcon::fromTheme("document-open"), tr_("Open With"));
    openWithMenu_->setObjectName("OpenWithMenu");
    connect(openWithMenu_, &QMenu::aboutToShow, this, [this] { fillOpenWithMenu(); });
    addMenuAction("folder-open", "Show in File Manager", RowAction::Reveal,
                  [this] { revealSelectedRows(); });
    addMenuAction("preferences-desktop-keyboard-shortcuts", "Edit Shortcut…",
                  RowAction::EditShortcut, [this] { editShortcut(); });
}

OpenPanelOptions TemplatesPreferencesViewController::openPanelOptions() const {
    OpenPanelOptions options;
    options.title = services().translate("Select Templates");
    options.message = services().translate("Please select the templates you would like to add");
    options.prompt = services().translate("Add");
    options.canChooseFiles = true;
    options.canChooseDirectories = false;
    options.allowsMultipleSelection = true;
    return options;
}

std::size_t TemplatesPreferencesViewController::addPaths(const std::vector<std::string>& paths) {
    return model_->addFileTemplates(paths);
}

void TemplatesPreferencesViewController::fillOpenWithMenu() {
    const auto rows = tableView()->selectedRows();
    std::optional<std::string> path;
    if (!rows.empty()) {
        path = model_->pathAt(*rows.begin());
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
            openWithMenu_->addAction(image, QString::fromStdString(app.name), this,
                                     [this, i, file = *path] {
                                         // The application shows its own complaint, if any; there
                                         // is nothing to add here.
                                         (void)openWith_->openFileWithApp(i, file);
                                     });
        }
    };
    show(openWith_->menuWillOpen(path, show));
}

void TemplatesPreferencesViewController::editShortcut() {
    const auto rows = tableView()->selectedRows();
    if (rows.empty()) {
        return;
    }
    const std::size_t row = *rows.begin();
    setSheetOpen(true);
    QPointer<TemplatesPreferencesViewController> self(this);
    app::editShortcut(
        services(), this, row, model_->records().at(row),
        [self](const Value::Array& templates) {
            if (self) {
                self->model_->replaceRecords(templates);
                self->tableModel()->reset();
            }
        },
        [self, row](int) {
            if (self) {
                self->setSheetOpen(false);
                if (row < self->model_->count()) {
                    self->tableView()->selectRows(row, 1);
                }
            }
        });
}

} // namespace quillet::app
