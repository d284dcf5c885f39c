// The Templates, Locations and Localization panes as real widgets, driven the
// way a user drives them: drops, drags, keys and the confirmation sheet.
#include "app/core/in_memory_login_items.h"
#include "app/ui/preferences/localization_pane.h"
#include "app/ui/preferences/locations_pane.h"
#include "app/ui/preferences/record_table_view.h"
#include "app/ui/preferences/templates_pane.h"

#include "shared/keys.h"
#include "shared/records.h"
#include "support/fake_bus_name_watch.h"
#include "support/fake_panels.h"
#include "support/fakes.h"
#include "support/file_text.h"
#include "support/temp_xdg.h"

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quillet::app {
namespace {

namespace fs = std::filesystem;

class PanesGuiTest : public ::testing::Test {
protected:
    PanesGuiTest()
        : privateDefaults(SettingsStore::atPath(xdg.configHome() + "/private.json")),
          services{
              .openSharedDefaults = [this] { return SettingsStore::atPath(storeFile); },
              .privateDefaults = privateDefaults,
              .notifications = broadcast,
              .localNotifications = local,
              .mainQueue = queue,
              .alerts = alerts,
              .panels = panels,
              .workspace = workspace,
              .fileTypes = types,
              .loginItems = loginItems,
              .hotKeys = hotKeys,
              .busNames = busNames,
              .launchHelper = {},
              .translate = [](const std::string& text) { return text; },
              .translatePlural = {},
              .templatesDir = templatesDir,
              .resourcesDir = xdg.root() + "/share/quillet/app",
              .helperPath = {},
              .launcherPath = {},
              .helpDir = xdg.root() + "/share/quillet/help",
              .languages = {},
              .fileManagerPaths = {},
              .osVersion = {},
          } {
        types.add("txt", "Plain text document");
    }

    std::vector<std::string> storedTitles() {
        std::vector<std::string> titles;
        const auto array = SettingsStore::atPath(storeFile).arrayForKey(keys::kFileTemplates);
        for (const auto& record : array.value_or(Value::Array{})) {
            titles.push_back(*record.find(keys::kTitle)->asString());
        }
        return titles;
    }

    void storeTemplates(int count) {
        Value::Array records;
        for (int i = 0; i < count; ++i) {
            std::string file = templatesDir + "/" + std::to_string(i) + ".txt";
            std::ofstream(file) << i;
            records.push_back(FileTemplate{.enabled = true,
                                           .title = std::to_string(i),
                                           .filePath = file,
                                           .prefix = std::to_string(i),
                                           .suffix = "txt"}
                                  .toValue());
        }
        ASSERT_TRUE(SettingsStore::atPath(storeFile).setObject(keys::kFileTemplates, records));
    }

    // Drops the data on the table's viewport, in the upper half of the row
    // (or below the last row for -1), as the desktop delivers a drop: the
    // drag enters first, which makes the viewport the drop's target.
    static void drop(RecordTableView* table, QMimeData* mime, int row) {
        QPoint at =
            row < 0 ? QPoint(20, table->viewport()->height() - 2)
                    : table->visualRect(table->model()->index(row, 1)).topLeft() + QPoint(20, 2);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(table->viewport(), &enter);
        QDropEvent event(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table->viewport(), &event);
        delete mime;
    }

    static QMessageBox* sheet(const char* name) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == name && w->isVisible()) {
                return qobject_cast<QMessageBox*>(w);
            }
        }
        return nullptr;
    }

    test::TempXdg xdg;
    std::string storeFile = xdg.configHome() + "/quillet/shared.json";
    std::string templatesDir = xdg.makeDir("data/quillet/Templates");
    SettingsStore privateDefaults;
    test::FakeNotificationCenter broadcast, local;
    test::FakeMainQueue queue;
    test::FakeAlerts alerts;
    test::FakePanels panels;
    test::FakeWorkspace workspace;
    test::FakeFileTypes types;
    InMemoryLoginItems loginItems;
    test::FakeHotKeyCenter hotKeys;
    test::FakeBusNameWatch busNames;
    AppServices services;
};

TEST_F(PanesGuiTest, AFileDroppedFromAFileManagerIsAddedAtTheEndAndSelected) {
    storeTemplates(3);
    const std::string outside = xdg.makeDir("home/Documents");
    std::ofstream(outside + "/report.txt") << "dropped";
    TemplatesPreferencesViewController pane(services);
    pane.resize(800, 400);
    pane.show();
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(outside + "/report.txt"))});
    drop(pane.tableView(), mime, 0);
    EXPECT_EQ(storedTitles(), (std::vector<std::string>{"0", "1", "2", "Plain text document"}));
    EXPECT_EQ(pane.tableView()->selectedRows(), (std::set<std::size_t>{3}));
    EXPECT_EQ(test::fileText(templatesDir + "/report.txt"), "dropped");
}

TEST_F(PanesGuiTest, RowsDraggedOrMovedByKeyLandInTheGap) {
    storeTemplates(5);
    TemplatesPreferencesViewController pane(services);
    pane.resize(800, 400);
    pane.show();
    RecordTableView* table = pane.tableView();
    auto* mime = new QMimeData;
    mime->setData(RecordTableView::kRowMimeType, table->rowDragData({0, 2}));
    drop(table, mime, 4);
    EXPECT_EQ(storedTitles(), (std::vector<std::string>{"1", "3", "0", "2", "4"}));
    EXPECT_EQ(table->selectedRows(), (std::set<std::size_t>{2, 3}));

    // Alt+Up moves the selection one step with the same arithmetic.
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(storedTitles(), (std::vector<std::string>{"1", "0", "2", "3", "4"}));
    EXPECT_EQ(table->selectedRows(), (std::set<std::size_t>{1, 2}));

    // Rows of another table are not moved here.
    RecordTableView other;
    mime = new QMimeData;
    mime->setData(RecordTableView::kRowMimeType, other.rowDragData({0}));
    drop(table, mime, 4);
    EXPECT_EQ(storedTitles(), (std::vector<std::string>{"1", "0", "2", "3", "4"}));
}

TEST_F(PanesGuiTest, RemovalAsksFirstAndCancelKeepsEverything) {
    storeTemplates(2);
    // A template kept where it is, outside the templates folder.
    const std::string outside = xdg.makeDir("home/Documents");
    std::ofstream(outside + "/thesis.txt") << "years of work";
    Value::Array records =
        SettingsStore::atPath(storeFile).arrayForKey(keys::kFileTemplates).value_or(Value::Array{});
    records.push_back(FileTemplate{.enabled = true,
                                   .title = "thesis",
                                   .filePath = outside + "/thesis.txt",
                                   .prefix = "thesis",
                                   .suffix = "txt"}
                          .toValue());
    ASSERT_TRUE(SettingsStore::atPath(storeFile).setObject(keys::kFileTemplates, records));
    TemplatesPreferencesViewController pane(services);
    pane.show();
    RecordTableView* table = pane.tableView();

    pane.removeSelectedRows();
    QMessageBox* box = sheet("NoTemplateSelectedSheet");
    ASSERT_NE(box, nullptr) << "nothing selected";
    box->button(QMessageBox::Ok)->click();

    // The question says what becomes of the files, and promises the trash
    // only for those in the templates folder.
    const struct {
        std::size_t first, count;
        const char* question;
    } questions[] = {
        {0, 2, "Remove 2 templates? Their files in the templates folder are moved to the trash."},
        {2, 1, "Remove 1 template? Its file stays where it is."},
        {1, 2,
         "Remove 2 templates? The copies in Quillet's templates folder are moved to the trash; "
         "the other files stay where they are."},
    };
    for (const auto& asked : questions) {
        table->selectRows(asked.first, asked.count);
        pane.removeSelectedRows();
        box = sheet("RemoveTemplatesSheet");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->informativeText().toStdString(), asked.question);
        box->button(QMessageBox::Cancel)->click();
        QApplication::processEvents();
    }

    for (QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Ok}) {
        table->selectRows(0, 1);
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Delete);
        box = sheet("RemoveTemplatesSheet");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString(), "Remove file templates");
        // The question says what becomes of the file.
        EXPECT_EQ(box->informativeText().toStdString(),
                  "Remove 1 template? Its file in the templates folder is moved to the trash.");
        box->button(answer)->click();
        QApplication::processEvents();
    }
    EXPECT_EQ(storedTitles(), (std::vector<std::string>{"1", "thesis"}));
    EXPECT_FALSE(fs::exists(templatesDir + "/0.txt"));
    EXPECT_TRUE(fs::exists(templatesDir + "/1.txt"));
}

TEST_F(PanesGuiTest, EachListPaneNamesItsWidgetsAndSheetsForItsOwnItems) {
    TemplatesPreferencesViewController templates(services);
    FinderPreferencesViewController locations(services);
    struct Case {
        RecordListPane* pane;
        QStringList widgets;
        const char* noneSelectedSheet;
    } cases[] = {
        {&templates,
         {"TemplatesTable", "AddTemplatesButton", "RemoveTemplatesButton", "TemplatesHelpButton",
          "TemplatesContextMenu"},
         "NoTemplateSelectedSheet"},
        {&locations,
         {"LocationsTable", "AddLocationsButton", "RemoveLocationsButton", "LocationsHelpButton",
          "LocationsContextMenu", "IncludeExternalDrivesButton"},
         "NoLocationSelectedSheet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pane->objectName().toStdString());
        for (const QString& name : c.widgets) {
            EXPECT_NE(c.pane->findChild<QWidget*>(name), nullptr) << name.toStdString();
        }
        c.pane->show();
        c.pane->removeSelectedRows();
        QMessageBox* box = sheet(c.noneSelectedSheet);
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Ok)->click();
        QApplication::processEvents();
    }
}

TEST_F(PanesGuiTest, LocationsTakeDroppedFoldersAndLocalizationWritesOverrides) {
    const std::string work = xdg.makeDir("home/Work");
    FinderPreferencesViewController locations(services);
    locations.resize(600, 300);
    locations.show();
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(work)),
                   QUrl::fromLocalFile(QString::fromStdString(storeFile))});
    drop(locations.tableView(), mime, -1);
    ASSERT_EQ(locations.model().count(), 1u);
    EXPECT_EQ(locations.model().pathAt(0), work);
    EXPECT_TRUE(locations.tableView()->selectedRows().empty());

    const std::string localeDir = xdg.makeDir("share/locale");
    LocalizationPreferencesViewController localization(services, localeDir, {"C"});
    EXPECT_EQ(localization.model().count(), 0u) << "no catalog: no rows, no failure";
    for (QWidget* w : {static_cast<QWidget*>(&locations), static_cast<QWidget*>(&localization)}) {
        for (QWidget* child : w->findChildren<QWidget*>()) {
            if (child->focusPolicy() != Qt::NoFocus && child->isVisibleTo(w) &&
                !child->inherits("QScrollBar") && !child->inherits("QHeaderView") &&
                child->parent() == w) {
                EXPECT_FALSE(child->accessibleName().isEmpty()) << child->metaObject()->className();
            }
        }
    }
}

} // namespace
} // namespace quillet::app

namespace quillet::app {
namespace {

TEST_F(PanesGuiTest, TheSelectedTemplatesOptionsAreShownAndSavedOnToggle) {
    storeTemplates(2);
    ASSERT_TRUE(SettingsStore::atPath(storeFile).setObject(
        keys::kMonitoredPaths,
        Value::Array{Value::Dictionary{{keys::kPath, "/srv/Project"}, {keys::kEnabled, true}},
                     Value::Dictionary{{keys::kPath, "/srv/Other"}, {keys::kEnabled, true}}}));
    TemplatesPreferencesViewController pane(services);
    pane.show();
    auto* expands = pane.findChild<QCheckBox*>("ExpandsVariablesCheckBox");
    auto* folders = pane.findChild<QListWidget*>("LimitedToPathsList");
    ASSERT_NE(expands, nullptr);
    ASSERT_NE(folders, nullptr);
    ASSERT_NE(pane.findChild<QPushButton*>("AddFromTemplatesFolderButton"), nullptr);
    EXPECT_FALSE(expands->isEnabled()) << "nothing selected";

    const auto record = [&](std::size_t row) {
        return FileTemplate::fromValue(
                   SettingsStore::atPath(storeFile).arrayForKey(keys::kFileTemplates)->at(row))
            .value();
    };
    RecordTableView* table = pane.tableView();
    table->selectRows(1, 1);
    ASSERT_TRUE(expands->isEnabled());
    ASSERT_EQ(folders->count(), 2);
    // As an assistive tool would: the state changes, no click.
    expands->setChecked(true);
    folders->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(record(1).expandsVariables);
    EXPECT_EQ(record(1).limitedToPaths, std::vector<std::string>{"/srv/Project"});

    // Showing another row's options writes nothing back.
    table->selectRows(0, 1);
    EXPECT_FALSE(expands->isChecked());
    EXPECT_EQ(folders->item(0)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(record(0).expandsVariables);
    EXPECT_TRUE(record(0).limitedToPaths.empty());
    table->selectRows(1, 1);
    EXPECT_TRUE(expands->isChecked());
    EXPECT_EQ(folders->item(0)->checkState(), Qt::Checked);
}

} // namespace
} // namespace quillet::app
