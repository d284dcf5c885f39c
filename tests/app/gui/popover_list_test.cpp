// The popover's list as the user meets it: the store's enabled templates in
// order, each row titled and tipped with its file name, draggable; reloads
// that find nothing new keep the rows (and read nothing), a changed store
// shows its templates.
#include "app/app_services_fixture.h"
#include "app/ui/template_popover.h"
#include "shared/keys.h"
#include "shared/records.h"

#include <QApplication>
#include <QIcon>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace quillet::test {
namespace {

Value templateRecord(const std::string& title, const std::string& suffix, bool enabled = true) {
    return FileTemplate{.enabled = enabled,
                        .title = title,
                        .filePath = "/nonexistent/" + title,
                        .prefix = "untitled",
                        .suffix = suffix}
        .toValue();
}

void storeTemplates(Value::Array records) {
    ASSERT_TRUE(SettingsStore(ids::kSuiteName).setObject(keys::kFileTemplates, Value(records)));
}

TEST(PopoverListTest, RowsShowTheEnabledTemplatesAndReloadOnlyOnChange) {
    AppServicesFixture f;
    storeTemplates({templateRecord("Text", "txt"), templateRecord("Hidden", "md", false),
                    templateRecord("Script", "")});
    app::PopoverViewController popover(f.services);
    app::TemplateListView* list = popover.tableView();
    QAbstractItemModel* model = list->model();

    struct Row {
        const char* title;
        const char* tip;
    };
    const Row rows[] = {{"Text", "untitled.txt"}, {"Script", "untitled"}};
    ASSERT_EQ(model->rowCount(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(rows[i].title);
        const QModelIndex index = model->index(i, 0);
        EXPECT_EQ(index.data(Qt::DisplayRole).toString().toStdString(), rows[i].title);
        EXPECT_EQ(index.data(Qt::ToolTipRole).toString().toStdString(), rows[i].tip);
        EXPECT_FALSE(index.data(Qt::DecorationRole).value<QIcon>().isNull());
        EXPECT_TRUE(model->flags(index) & Qt::ItemIsDragEnabled);
    }
    EXPECT_EQ(list->currentIndex().row(), 0) << "the first row is current";

    // Opened again with the store untouched: the same rows, back at the top.
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    list->setCurrentIndex(model->index(1, 0));
    popover.loadTemplates();
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(list->currentIndex().row(), 0);

    // Rewritten with the same templates (another key changed): no reset either.
    ASSERT_TRUE(SettingsStore(ids::kSuiteName).setBool(keys::kCascadeMenu, true));
    popover.loadTemplates();
    EXPECT_EQ(resets.count(), 0);

    // Another program saves new templates: the list follows.
    storeTemplates({templateRecord("Notes", "md")});
    popover.loadTemplates();
    EXPECT_EQ(resets.count(), 1);
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString().toStdString(), "Notes");
    EXPECT_EQ(list->currentIndex().row(), 0);
    EXPECT_EQ(list->templates().front().title, "Notes") << "what a drag takes";
}

} // namespace
} // namespace quillet::test
