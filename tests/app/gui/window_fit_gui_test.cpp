// Windows sized so that nothing is cut: a dialog's title, the popover's last
// row.
#include "app/app_services_fixture.h"
#include "app/ui/template_popover.h"
#include "platform/linux/qt/dialog_titles.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/settings_store.h"
#include "shared/window_fit.h"

#include <QApplication>
#include <QDialog>
#include <QListView>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <memory>

namespace quillet::test {
namespace {

int boldWidth(const QWidget& window) {
    QFont bold = window.font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(window.windowTitle());
}

TEST(WindowFitGuiTest, DialogsAreWideEnoughForTheirTitles) {
    static const bool installed = [] {
        platform::qt::keepDialogTitlesWhole(*qApp);
        return true;
    }();
    (void)installed;
    const QString title = "Remove the selected file templates from the list";
    struct Case {
        const char* kind;
        std::function<std::unique_ptr<QDialog>()> make;
    } cases[] = {
        {"message box with a short text",
         [&] {
             return std::make_unique<QMessageBox>(QMessageBox::Critical, title, "Remove?",
                                                  QMessageBox::Ok);
         }},
        {"plain dialog",
         [&] {
             auto dialog = std::make_unique<QDialog>();
             dialog->setWindowTitle(title);
             return dialog;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        auto dialog = c.make();
        dialog->show();
        QApplication::processEvents();
        EXPECT_GE(dialog->width(), titleBarWidth(boldWidth(*dialog)));
    }
}

TEST(WindowFitGuiTest, ThePopoverShowsItsLastRowWhole) {
    AppServicesFixture f;
    for (int rows : {3, 7, 40}) {
        SCOPED_TRACE(rows);
        Value::Array records;
        for (int i = 0; i < rows; ++i) {
            records.push_back(FileTemplate{.enabled = true,
                                           .title = "Template " + std::to_string(i),
                                           .filePath = f.services.templatesDir + "/none.txt",
                                           .prefix = "untitled",
                                           .suffix = "txt"}
                                  .toValue());
        }
        SettingsStore store(ids::kSuiteName);
        ASSERT_TRUE(store.setObject(keys::kFileTemplates, Value(records)));
        app::PopoverViewController popover(f.services);
        popover.detach();
        QApplication::processEvents();
        QListView* list = popover.tableView();
        const int rowHeight = list->sizeHintForRow(0);
        ASSERT_GT(rowHeight, 0);
        const int shown = list->viewport()->height();
        // Whole rows only, and every row when they fit.
        EXPECT_EQ(shown % rowHeight, 0) << shown << " for rows of " << rowHeight;
        if (rows == 3) {
            EXPECT_EQ(shown, 3 * rowHeight);
        }
    }
}

} // namespace
} // namespace quillet::test
