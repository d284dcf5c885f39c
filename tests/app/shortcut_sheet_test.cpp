// The shortcut sheet's rules: its content, the combinations it accepts and
// what confirming writes.
#include "app/core/preferences/shortcut_sheet_model.h"
#include "fake_hot_key_center.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

namespace quillet::test {
namespace {

using app::kShortcutSheetCancel;
using app::kShortcutSheetOK;

Value::Dictionary combo(int keysym) {
    return {{keys::kShortcutKeyCode, keysym}, {keys::kShortcutModifierFlags, 12}};
}

Value record(const char* prefix, std::optional<Value::Dictionary> shortcut = std::nullopt) {
    Value::Dictionary d{{keys::kEnabled, true}, {keys::kTitle, "Text"}, {keys::kSuffix, "txt"}};
    if (prefix != nullptr) {
        d[keys::kPrefix] = prefix;
    }
    if (shortcut) {
        d[keys::kShortcut] = *shortcut;
    }
    return Value(d);
}

TEST(ShortcutSheetTest, ContentShowsTheDefaultNameOrNA) {
    EXPECT_EQ(app::shortcutSheetContent(record("untitled")).name, "untitled.txt");
    EXPECT_EQ(app::shortcutSheetContent(record(nullptr)).name, "N/A");
    EXPECT_EQ(app::shortcutSheetContent(record("")).name, "N/A");
    auto withShortcut = app::shortcutSheetContent(record("a", combo('n')));
    EXPECT_EQ(withShortcut.title, "Text");
    EXPECT_EQ(Value(*withShortcut.shortcut), Value(combo('n')));
}

TEST(ShortcutSheetTest, OnlyFreeCombinationsOrTheTemplatesOwnAreAccepted) {
    FakeHotKeyCenter hotKeys;
    hotKeys.markTaken(combo('t'));
    EXPECT_TRUE(app::canRecordShortcut(hotKeys, combo('f'), std::nullopt, nullptr));
    EXPECT_FALSE(app::canRecordShortcut(hotKeys, combo('t'), std::nullopt, nullptr));
    // Held by our own helper: taken back without a trial.
    EXPECT_TRUE(app::canRecordShortcut(hotKeys, combo('t'), combo('t'), nullptr));
    EXPECT_FALSE(app::canRecordShortcut(hotKeys, combo('t'), combo('u'), nullptr));
    // Every trial is undone at once.
    EXPECT_TRUE(hotKeys.allHotKeys().empty());
    EXPECT_EQ(hotKeys.registerCalls, 3);
    EXPECT_EQ(hotKeys.unregisterCalls, 1);
}

TEST(ShortcutSheetTest, CompletionWritesOnlyChangesAndFollowsShortcutsForTheHelper) {
    struct Case {
        const char* name;
        Value::Array stored;
        std::size_t row;
        int returnCode;
        std::optional<Value::Dictionary> recorded;
        bool writes;
        std::optional<bool> shouldLaunchHelper;
        std::optional<Value::Dictionary> shortcutAfter; // of the row's record
    };
    const Case cases[] = {
        {"cancel changes nothing",
         {record("a")},
         0,
         kShortcutSheetCancel,
         combo('n'),
         false,
         std::nullopt,
         std::nullopt},
        {"a new shortcut",
         {record("a"), record("b")},
         1,
         kShortcutSheetOK,
         combo('n'),
         true,
         true,
         combo('n')},
        {"the same shortcut writes nothing",
         {record("a", combo('n'))},
         0,
         kShortcutSheetOK,
         combo('n'),
         false,
         true,
         combo('n')},
        {"cleared: the last shortcut goes",
         {record("a", combo('n'))},
         0,
         kShortcutSheetOK,
         std::nullopt,
         true,
         false,
         std::nullopt},
        {"cleared, another keeps the helper",
         {record("a", combo('n')), record("b", combo('b'))},
         0,
         kShortcutSheetOK,
         std::nullopt,
         true,
         true,
         std::nullopt},
        {"empty on empty rewrites the list",
         {record("a")},
         0,
         kShortcutSheetOK,
         std::nullopt,
         true,
         false,
         std::nullopt},
        {"a row gone from the list is not written",
         {record("a")},
         3,
         kShortcutSheetOK,
         combo('n'),
         false,
         false,
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempXdg xdg;
        SettingsStore store(ids::kSuiteName);
        ASSERT_TRUE(store.setObject(keys::kFileTemplates, Value(c.stored)));
        int saves = 0;
        int launches = 0;
        const Value atOpening = c.row < c.stored.size() ? c.stored[c.row] : record("gone");
        auto outcome = app::completeShortcutSheet(
            {.store = store,
             .saveFileTemplates =
                 [&](const Value::Array& templates) {
                     ++saves;
                     ASSERT_TRUE(store.setObject(keys::kFileTemplates, Value(templates)));
                 },
             .launchHelper = [&] { ++launches; }},
            c.returnCode, c.row, atOpening, c.recorded);
        EXPECT_EQ(outcome.wroteTemplates, c.writes);
        EXPECT_EQ(saves, c.writes ? 1 : 0);
        EXPECT_EQ(outcome.shouldLaunchHelper, c.shouldLaunchHelper);
        EXPECT_EQ(launches, c.shouldLaunchHelper.value_or(false) ? 1 : 0);
        if (c.shouldLaunchHelper) {
            EXPECT_EQ(store.boolForKey(keys::kShouldLaunchHelper), *c.shouldLaunchHelper);
        }
        auto templates = store.arrayForKey(keys::kFileTemplates).value_or(Value::Array{});
        if (c.row < templates.size()) {
            const Value* after = templates[c.row].find(keys::kShortcut);
            EXPECT_EQ(after != nullptr, c.shortcutAfter.has_value());
            if (after != nullptr && c.shortcutAfter) {
                EXPECT_EQ(*after, Value(*c.shortcutAfter));
            }
        }
    }
}

} // namespace
} // namespace quillet::test
