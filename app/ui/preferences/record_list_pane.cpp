#include "record_list_pane.h"

#include "record_table_model.h"
#include "record_table_view.h"

#include "app/core/help.h"
#include "app/core/preferences/stored_locations.h"
#include "platform/linux/qt/qt_text.h"
#include "shared/error_text.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillet::app {

RecordListPane::RecordListPane(AppServices& services, QWidget* parent)
    : PreferencesPane(parent), services_(services) {}

RecordListPane::~RecordListPane() = default;

QString RecordListPane::tr_(const char* text) const {
    return translated(services_, text);
}

QWidget* RecordListPane::initialKeyView() {
    return table_;
}

void RecordListPane::setUp(RecordListModel& records, RecordTableModel* tableModel,
                           Description description) {
    records_ = &records;
    tableModel_ = tableModel;
    description_ = std::move(description);
    const QString& stem = description_.stem;

    table_ = new RecordTableView(this);
    table_->setObjectName(stem + "Table");
    table_->setAccessibleName(description_.tableName);
    table_->setModel(tableModel_);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* addButton =
        makePaneButton(this, "list-add", description_.addText, description_.addToolTip);
    addButton->setObjectName("Add" + stem + "Button");
    removeButton_ =
        makePaneButton(this, "list-remove", description_.removeText, description_.removeToolTip);
    removeButton_->setObjectName("Remove" + stem + "Button");
    auto* helpButton = makePaneButton(this, "help-browser", tr_("Help"), tr_("Help"));
    helpButton->setObjectName(stem + "HelpButton");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(removeButton_);
    buttons->addStretch(1);
    buttons->addWidget(helpButton);
    layout_ = new QVBoxLayout(this);
    layout_->addWidget(table_, 1);
    layout_->addLayout(buttons);

    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName(stem + "ContextMenu");
    addMenuActions();
    contextMenu_->addSeparator();
    addMenuAction("list-remove", "Remove…", RowAction::Remove, [this] { removeSelectedRows(); });

    connect(addButton, &QToolButton::clicked, this, [this] { addFromOpenPanel(); });
    connect(removeButton_, &QToolButton::clicked, this, [this] { removeSelectedRows(); });
    connect(helpButton, &QToolButton::clicked, this, [this] { showHelp(); });
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
        if (auto drop = dropRowForStep(records_->count(), rows, direction)) {
            moveRows(rows, *drop);
        }
    });
    connect(table_, &RecordTableView::filesDropped, this,
            [this](const QStringList& paths) { addDroppedPaths(paths); });
    connect(table_, &RecordTableView::removeRequested, this, [this] { removeSelectedRows(); });

    records_->setExternalChangeHandlers([this] { return !sheetOpen_ && !table_->isBusy(); },
                                        [this] { tableModel_->reset(); });
    records_->setSaveFailureHandler([this](const Error& failure) {
        showPaneSheet(this, description_.stem + "SaveFailedSheet", description_.saveFailedTitle,
                      QString::fromStdString(localizedUserText(failure, services_.translate)),
                      nullptr, nullptr);
    });
    updateEnabling();
}

QAction* RecordListPane::addMenuAction(const char* icon, const char* text, RowAction action,
                                       std::function<void()> act) {
    QAction* item =
        contextMenu_->addAction(QIcon::fromTheme(icon), tr_(text), this, std::move(act));
    item->setData(static_cast<int>(action));
    return item;
}

void RecordListPane::updateEnabling() {
    const std::size_t selected = table_->selectedRows().size();
    removeButton_->setEnabled(isRowActionEnabled(RowAction::Remove, selected));
    for (QAction* action : contextMenu_->actions()) {
        if (action->data().isValid()) {
            action->setEnabled(
                isRowActionEnabled(static_cast<RowAction>(action->data().toInt()), selected));
        }
    }
}

void RecordListPane::moveRows(const std::set<std::size_t>& rows, std::size_t dropRow) {
    RowMove move = records_->moveRows(rows, dropRow);
    tableModel_->reset();
    table_->selectRows(move.first, move.count);
}

void RecordListPane::addFromOpenPanel() {
    QPointer<RecordListPane> self(this);
    services_.panels.beginOpenPanelForPaths(openPanelOptions(),
                                            [self](const std::vector<std::string>& chosen) {
                                                if (self && !chosen.empty()) {
                                                    self->afterAdding(self->addPaths(chosen));
                                                }
                                            });
}

void RecordListPane::addDroppedPaths(const QStringList& paths) {
    std::vector<std::string> dropped;
    for (const QString& path : paths) {
        dropped.push_back(platform::qt::corePath(path));
    }
    afterAdding(addPaths(dropped));
}

void RecordListPane::afterAdding(std::size_t added) {
    tableModel_->reset();
    if (description_.selectsAddedRows) {
        table_->selectRows(records_->count() - added, added);
    } else {
        table_->clearSelection();
    }
    table_->scrollToBottom();
}

void RecordListPane::removeSelectedRows() {
    confirmRemovingSelectedRows(this, table_, sheetOpen_, description_.removal,
                                [this](const std::set<std::size_t>& rows) {
                                    records_->removeRows(rows);
                                    tableModel_->reset();
                                });
}

void RecordListPane::openSelectedRow() {
    std::vector<std::string> stored;
    for (std::size_t row : table_->selectedRows()) {
        stored.push_back(records_->storedLocationAt(row));
    }
    tellFailure(openFirstStoredLocation(services_.workspace, stored),
                tr_("The item could not be opened"));
}

void RecordListPane::revealSelectedRows() {
    std::vector<std::string> paths;
    for (std::size_t row : table_->selectedRows()) {
        paths.push_back(records_->pathAt(row));
    }
    tellFailure(revealPaths(services_.workspace, std::move(paths)),
                tr_("The item could not be shown in the file manager"));
}

void RecordListPane::showHelp() {
    tellFailure(showHelpPage(services_.workspace, services_.helpDir, services_.languages,
                             description_.helpPage),
                tr_("The help could not be opened"));
}

void RecordListPane::tellFailure(const Status& status, const QString& title) {
    // No browser or file manager may be there to say anything itself.
    if (!status) {
        showPaneSheet(this, "FailureSheet", title,
                      platform::qt::qtText(localizedUserText(status.error(), services_.translate)),
                      nullptr, nullptr);
    }
}

} // namespace quillet::app
