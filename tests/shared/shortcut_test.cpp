// The shortcut dictionary: reading it, and the text users and the portal see.
#include "shared/keys.h"
#include "shared/shortcut.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(ShortcutTest, TextAndTriggerFollowTheDesktopsWords) {
    struct Case {
        std::int64_t keysym;
        std::int64_t modifiers;
        const char* text;
        const char* trigger;
    };
    const Case cases[] = {
        {110, 12, "Ctrl+Alt+N", "CTRL+ALT+n"},
        {0xffc2, 64 | 1, "Meta+Shift+F5", "SHIFT+LOGO+F5"},
        {0x20, 4, "Ctrl+Space", "CTRL+space"},
        {0xff55, 8, "Alt+PgUp", "ALT+Prior"},
        {'1', 4 | 8 | 1 | 64, "Meta+Ctrl+Alt+Shift+1", "CTRL+ALT+SHIFT+LOGO+1"},
        {',', 4, "Ctrl+,", "CTRL+comma"},
        {0xe0, 4, "Ctrl+\xc3\x80", "CTRL+\xc3\xa0"},
        {0xffb1, 4, "Ctrl+Num+1", "CTRL+KP_1"},
        {0x1008ff13, 0, "Volume Up", "XF86AudioRaiseVolume"},
        {110, 12 | 2 | 16, "Ctrl+Alt+N", "CTRL+ALT+n"}, // lock bits are not part of it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Value stored(Value::Dictionary{{keys::kShortcutKeyCode, c.keysym},
                                       {keys::kShortcutModifierFlags, c.modifiers}});
        auto shortcut = Shortcut::fromValue(stored);
        ASSERT_TRUE(shortcut);
        EXPECT_EQ(shortcutText(stored), c.text);
        EXPECT_EQ(portalTrigger(*shortcut), c.trigger);
    }
}

TEST(ShortcutTest, WhatIsNotAShortcutRendersAsNothing) {
    const Value cases[] = {
        Value(),
        Value("Ctrl+N"),
        Value(Value::Dictionary{}),
        Value(Value::Dictionary{{keys::kShortcutKeyCode, "n"}}),
        Value(Value::Dictionary{{keys::kShortcutKeyCode, 0}}),
        Value(Value::Dictionary{{keys::kShortcutKeyCode, -5}}),
    };
    for (const auto& value : cases) {
        EXPECT_FALSE(Shortcut::fromValue(value));
        EXPECT_EQ(shortcutText(value), "");
    }
}

TEST(ShortcutTest, RecordingRulesAndTheStoredForm) {
    Shortcut ctrlAltN{110, modifier::kControl | modifier::kAlt};
    EXPECT_EQ(
        Value(ctrlAltN.toDictionary()),
        Value(Value::Dictionary{{"SRShortcutKeyCode", 110}, {"SRShortcutModifierFlagsKey", 12}}));
    EXPECT_TRUE(ctrlAltN.isRecordable());
    EXPECT_FALSE((Shortcut{110, 0}).isRecordable());
    EXPECT_FALSE((Shortcut{110, modifier::kShift}).isRecordable());
    EXPECT_TRUE((Shortcut{0xffc2, modifier::kSuper}).isRecordable());
    EXPECT_EQ(Shortcut::normalizedKeysym('N'), 'n');
    EXPECT_EQ(Shortcut::normalizedKeysym(0xc0), 0xe0u);
    EXPECT_EQ(Shortcut::normalizedKeysym('!'), '!');
}

} // namespace
} // namespace quillet
