// The recorder and the sheet driven with key presses.
#include "app/app_services_fixture.h"
#include "app/ui/preferences/shortcut_recorder.h"
#include "app/ui/preferences/shortcut_window_controller.h"
#include "shared/keys.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace quillet::test {
namespace {

Value::Dictionary combo(int keysym, int modifiers) {
    return {{keys::kShortcutKeyCode, keysym}, {keys::kShortcutModifierFlags, modifiers}};
}

TEST(ShortcutRecorderTest, RecordsOneCombinationWithAModifier) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, Qt::KeyboardModifiers>> presses; // after recording starts
        std::optional<Value::Dictionary> value;
        bool stillRecording;
    };
    const std::optional<Value::Dictionary> before = combo('b', 12);
    const Case cases[] = {
        {"Ctrl+Alt+N", {{Qt::Key_N, Qt::ControlModifier | Qt::AltModifier}}, combo('n', 12), false},
        {"Meta+Shift+F5",
         {{Qt::Key_F5, Qt::MetaModifier | Qt::ShiftModifier}},
         combo(0xffc2, 65),
         false},
        {"a key alone is not enough", {{Qt::Key_N, Qt::NoModifier}}, before, true},
        {"Shift alone is not enough", {{Qt::Key_N, Qt::ShiftModifier}}, before, true},
        {"Escape cancels", {{Qt::Key_Escape, Qt::NoModifier}}, before, false},
        {"Backspace clears", {{Qt::Key_Backspace, Qt::NoModifier}}, std::nullopt, false},
        {"a taken combination is refused", {{Qt::Key_T, Qt::ControlModifier}}, before, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        app::ShortcutRecorder recorder(nullptr);
        recorder.setObjectValue(before);
        recorder.canRecordShortcut = [](const Value::Dictionary& candidate) -> Status {
            if (Value(candidate) == Value(combo('t', 4))) {
                return Error::withDetail("register global shortcuts", "", "Terminal",
                                         std::errc::file_exists);
            }
            return {};
        };
        recorder.show();
        QTest::keyClick(&recorder, Qt::Key_Space); // the keyboard way in
        ASSERT_TRUE(recorder.isRecording());
        for (const auto& [key, modifiers] : c.presses) {
            QTest::keyClick(&recorder, static_cast<Qt::Key>(key), modifiers);
        }
        EXPECT_EQ(recorder.isRecording(), c.stillRecording);
        EXPECT_EQ(recorder.objectValue().has_value(), c.value.has_value());
        if (c.value && recorder.objectValue()) {
            EXPECT_EQ(Value(*recorder.objectValue()), Value(*c.value));
        }
        recorder.endRecording();
    }
}

TEST(ShortcutRecorderTest, AssistiveToolsSeeAButtonThatRecordsWhenPressed) {
    app::ShortcutRecorder recorder(nullptr);
    recorder.show();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&recorder);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button) << "not a filler";
    EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(), "Shortcut");
    EXPECT_EQ(accessible->text(QAccessible::Value).toStdString(), "Record Shortcut");
    ASSERT_NE(accessible->actionInterface(), nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_EQ(accessible->text(QAccessible::Value).toStdString(), "Type shortcut");
    recorder.endRecording();
}

TEST(ShortcutSheetGuiTest, OKStoresTheRecordedShortcutAndLaunchesTheHelper) {
    AppServicesFixture env;
    SettingsStore store = env.shared();
    Value::Dictionary text{{keys::kEnabled, true},
                           {keys::kTitle, "Text File"},
                           {keys::kPrefix, "untitled"},
                           {keys::kSuffix, "txt"}};
    ASSERT_TRUE(store.setObject(keys::kFileTemplates, Value(Value::Array{Value(text)})));
    int launches = 0;
    env.services.launchHelper = [&] { ++launches; };
    QWidget window;
    window.show();
    std::optional<int> code;
    auto* sheet = app::editShortcut(env.services, &window, 0, Value(text), nullptr,
                                    [&](int returnCode) { code = returnCode; });
    EXPECT_EQ(sheet->nameTextField()->text(), "untitled.txt");
    EXPECT_TRUE(sheet->windowModality() == Qt::WindowModal);
    EXPECT_FALSE(sheet->recorderControl()->accessibleName().isEmpty());
    sheet->recorderControl()->startRecording();
    QTest::keyClick(sheet->recorderControl(), Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(sheet, Qt::Key_Return); // the default button: OK
    ASSERT_EQ(code, 1);
    SettingsStore after = env.shared();
    auto stored = after.arrayForKey(keys::kFileTemplates).value_or(Value::Array{});
    ASSERT_EQ(stored.size(), 1u);
    ASSERT_NE(stored[0].find(keys::kShortcut), nullptr);
    EXPECT_EQ(*stored[0].find(keys::kShortcut), Value(combo('n', 12)));
    EXPECT_TRUE(after.boolForKey(keys::kShouldLaunchHelper));
    EXPECT_EQ(launches, 1);
    EXPECT_EQ(env.notifications.posts().back().object, keys::kFileTemplates);
}

TEST(ShortcutSheetGuiTest, ASessionWithoutGlobalShortcutsSaysSo) {
    AppServicesFixture env;
    env.hotKeys.unavailable = "No shortcuts here.";
    QWidget window;
    app::ShortcutWindowController sheet(env.services, Value(Value::Dictionary{}), &window);
    auto* note = sheet.findChild<QLabel*>("shortcutsUnavailable");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), "No shortcuts here.");
    EXPECT_FALSE(sheet.recorderControl()->isEnabled());
    EXPECT_EQ(sheet.nameTextField()->text(), "N/A");
}

} // namespace
} // namespace quillet::test
