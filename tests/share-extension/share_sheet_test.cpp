// The share sheet's widgets: first row chosen, OK and activation send once,
// Cancel and an empty sheet send nothing.
#include "share-extension/ui/share_view_controller.h"

#include "fake_file_types.h"
#include "fake_request_sender.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/request_url.h"
#include "temp_xdg.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace quillet::share {
namespace {

Value record(const char* title, bool enabled) {
    return FileTemplate{
        .enabled = enabled, .title = title, .filePath = "/t/x", .prefix = "x", .suffix = "txt"}
        .toValue();
}

std::string same(const std::string& text) {
    return text;
}

class ShareSheetTest : public ::testing::Test {
protected:
    ShareModel load(Value::Array templates, std::vector<std::string> arguments) {
        EXPECT_TRUE(store.setObject(keys::kFileTemplates, Value(std::move(templates))));
        ShareModel model;
        model.loadTemplates(store);
        model.loadURLs(arguments, "/");
        return model;
    }
    test::TempXdg xdg;
    SettingsStore store{ids::kSuiteName};
    test::FakeFileTypes types;
    test::FakeRequestSender sender;
};

TEST_F(ShareSheetTest, FirstRowChosenAndSentOnceByKeyboard) {
    const std::string folder = xdg.makeDir("Work");
    ShareModel model = load({record("A", false), record("B", true), record("C", true)}, {folder});
    ShareViewController sheet(model, sender, types, same);
    ASSERT_EQ(sheet.tableView()->count(), 2);
    EXPECT_EQ(sheet.tableView()->currentRow(), 0);
    EXPECT_EQ(sheet.tableView()->item(1)->text(), "C");
    EXPECT_TRUE(sheet.okButton()->isEnabled());
    EXPECT_TRUE(sheet.messageLabel()->isHidden());
    EXPECT_FALSE(sheet.okButton()->accessibleName().isEmpty());

    sheet.show();
    sheet.tableView()->setFocus();
    QTest::keyClick(sheet.tableView(), Qt::Key_Down);
    QTest::keyClick(sheet.tableView(), Qt::Key_Return);
    EXPECT_EQ(sender.sent, (std::vector<std::string>{makeRequestURL(folder, 2)}));
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
}

TEST_F(ShareSheetTest, CancelAndEmptySheetsSendNothing) {
    struct Case {
        Value::Array templates;
        std::vector<std::string> arguments;
        bool okEnabled, messageShown;
    } cases[] = {
        {{record("A", true)}, {"sftp://h/x"}, false, false},
        {{record("A", false)}, {"/tmp"}, false, true},
        {{}, {}, false, true},
    };
    for (auto& c : cases) {
        ShareModel model = load(c.templates, c.arguments);
        ShareViewController sheet(model, sender, types, same);
        EXPECT_EQ(sheet.okButton()->isEnabled(), c.okEnabled);
        EXPECT_EQ(!sheet.messageLabel()->isHidden(), c.messageShown);
        sheet.send(); // a double click without a place only closes
        EXPECT_EQ(sheet.result(), QDialog::Accepted);
    }
    ShareModel model = load({record("A", true)}, {"/tmp"});
    ShareViewController sheet(model, sender, types, same);
    sheet.cancel();
    sheet.send();
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_TRUE(sender.sent.empty());
}

} // namespace
} // namespace quillet::share
