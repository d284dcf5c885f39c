// Keeping the desktop's custom shortcuts in step with the templates, in
// each desktop's notation, without touching anyone else's entries.
#include "shared/desktop_shortcuts.h"
#include "shared/keys.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using Kind = ShortcutRegistryKind;
constexpr const char* kHelper = "/opt/q/bin/quillet-helper";

Value tmpl(const char* title, bool enabled, std::int64_t keysym, std::int64_t modifiers) {
    Value::Dictionary record{{keys::kTitle, title}, {keys::kEnabled, enabled}};
    if (keysym != 0) {
        record[keys::kShortcut] = Value(Value::Dictionary{
            {keys::kShortcutKeyCode, keysym}, {keys::kShortcutModifierFlags, modifiers}});
    }
    return Value(record);
}

// Our entry for template `index`, as each registry holds it.
RegistryEntry ours(Kind kind, int index, const char* title, const char* binding) {
    RegistryEntry entry{.id = "quillet-" + std::to_string(index),
                        .name = title,
                        .command =
                            "'/opt/q/bin/quillet-helper' --shortcut " + std::to_string(index),
                        .binding = binding};
    if (kind == Kind::Xfce) {
        entry.id = binding;
        entry.name.clear();
    } else if (kind == Kind::Kde) {
        entry.command.clear();
    }
    return entry;
}

std::vector<std::string> ids(const std::vector<RegistryEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& entry : entries) {
        out.push_back(entry.id);
    }
    return out;
}

TEST(DesktopShortcutsTest, ChangesBringOurEntriesInStepAndLeaveTheRestAlone) {
    const RegistryEntry userEntry{.id = "custom0",
                                  .name = "Terminal",
                                  .command = "x-terminal-emulator",
                                  .binding = "<Control><Alt>t"};
    const RegistryEntry builtIn{
        .id = "screensaver", .name = "Lock", .binding = "<Super>l", .builtIn = true};
    const RegistryEntry xfceUser{.id = "<Primary><Alt>t",
                                 .command = "exo-open --launch TerminalEmulator",
                                 .binding = "<Primary><Alt>t"};
    const RegistryEntry xfceUserOnN{
        .id = "<Primary><Alt>n", .command = "mousepad", .binding = "<Primary><Alt>n"};
    const Value ctrlAltN = tmpl("Text", true, 'n', 12);

    struct Case {
        const char* what;
        Kind kind;
        Value::Array templates;
        std::vector<RegistryEntry> current;
        std::vector<RegistryEntry> added;
        std::vector<RegistryEntry> changed;
        std::vector<std::string> removed;
    };
    const Case cases[] = {
        {"GNOME: a new shortcut is added beside the user's",
         Kind::Gnome,
         {ctrlAltN},
         {userEntry, builtIn},
         {ours(Kind::Gnome, 0, "Text", "<Control><Alt>n")},
         {},
         {}},
        {"in step: nothing to write",
         Kind::Gnome,
         {ctrlAltN},
         {userEntry, ours(Kind::Gnome, 0, "Text", "<Control><Alt>n")},
         {},
         {},
         {}},
        {"a changed key or title rewrites the entry",
         Kind::Gnome,
         {tmpl("Text", true, 'n', 12), tmpl("Note", true, 'm', 4 | 1)},
         {ours(Kind::Gnome, 0, "Old", "<Control><Alt>n"),
          ours(Kind::Gnome, 1, "Note", "<Control><Alt>m")},
         {},
         {ours(Kind::Gnome, 0, "Text", "<Control><Alt>n"),
          ours(Kind::Gnome, 1, "Note", "<Shift><Control>m")},
         {}},
        {"a disabled template and one without a shortcut lose their entries",
         Kind::Gnome,
         {tmpl("Text", false, 'n', 12), tmpl("Note", true, 0, 0)},
         {userEntry, ours(Kind::Gnome, 0, "Text", "<Control><Alt>n"),
          ours(Kind::Gnome, 1, "Note", "<Control><Alt>m")},
         {},
         {},
         {"quillet-0", "quillet-1"}},
        {"deleted templates' entries go; the user's entry and built-ins stay",
         Kind::Gnome,
         {},
         {userEntry, builtIn, ours(Kind::Gnome, 0, "Text", "<Control><Alt>n")},
         {},
         {},
         {"quillet-0"}},
        {"Cinnamon: Shift+Super+F5",
         Kind::Cinnamon,
         {tmpl("Sheet", true, 0xffc2, 1 | 64)},
         {userEntry},
         {ours(Kind::Cinnamon, 0, "Sheet", "<Shift><Super>F5")},
         {},
         {}},
        {"MATE: Ctrl+Space, the letter recorded in capitals",
         Kind::Mate,
         {tmpl("Blank", true, 0x20, 4), tmpl("Caps", true, 'Q', 8)},
         {},
         {ours(Kind::Mate, 0, "Blank", "<Control>space"), ours(Kind::Mate, 1, "Caps", "<Alt>q")},
         {},
         {}},
        {"Xfce: the binding is the entry's name, <Primary> is Ctrl",
         Kind::Xfce,
         {ctrlAltN},
         {xfceUser},
         {ours(Kind::Xfce, 0, "", "<Primary><Alt>n")},
         {},
         {}},
        {"Xfce: a binding the user holds is left to the user",
         Kind::Xfce,
         {ctrlAltN},
         {xfceUserOnN},
         {},
         {},
         {}},
        {"Xfce: a moved binding is removed and added",
         Kind::Xfce,
         {ctrlAltN},
         {xfceUser, ours(Kind::Xfce, 0, "", "<Primary><Alt>m")},
         {ours(Kind::Xfce, 0, "", "<Primary><Alt>n")},
         {},
         {"<Primary><Alt>m"}},
        {"KDE: Qt key codes",
         Kind::Kde,
         {ctrlAltN, tmpl("Sheet", true, 0xffc2, 1 | 64), tmpl("Pad", true, 0xffb1, 4)},
         {},
         {ours(Kind::Kde, 0, "Text", "201326670"), ours(Kind::Kde, 1, "Sheet", "318767156"),
          ours(Kind::Kde, 2, "Pad", "603979825")},
         {},
         {}},
        {"KDE: a key Qt has no code for is left out",
         Kind::Kde,
         {tmpl("Odd", true, 0x12345, 4)},
         {},
         {},
         {},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto changes = planRegistryChanges(
            c.kind, wantedRegistryEntries(c.kind, c.templates, kHelper), c.current);
        EXPECT_EQ(changes.added, c.added);
        EXPECT_EQ(changes.changed, c.changed);
        EXPECT_EQ(ids(changes.removed), c.removed);
        // What was written reads back as the combination it came from.
        for (const auto& entry : changes.added) {
            // KDE's press names the action by the id alone.
            const auto index =
                entry.command.empty()
                    ? static_cast<std::size_t>(templateIndexOfRegistryId(entry.id).value_or(-1))
                    : std::stoul(entry.command.substr(entry.command.rfind(' ') + 1));
            const auto recorded = Shortcut::fromValue(*c.templates[index].find(keys::kShortcut));
            const auto back = shortcutFromRegistryBinding(c.kind, entry.binding);
            ASSERT_TRUE(back);
            EXPECT_EQ(back->keysym, Shortcut::normalizedKeysym(recorded->keysym));
            EXPECT_EQ(back->modifiers, recorded->modifiers);
        }
    }
}

TEST(DesktopShortcutsTest, ACombinationInUseIsFoundWhateverTheNotation) {
    const std::vector<RegistryEntry> gnome{
        {.id = "custom0", .name = "Files", .binding = "<Super>e"},
        {.id = "close", .name = "Close window", .binding = "<Ctrl><Shift>Escape", .builtIn = true},
        {.id = "off", .name = "Nothing", .binding = "disabled"},
        {.id = "meta", .name = "Meta", .binding = "<Meta>x"},
    };
    const std::vector<RegistryEntry> xfce{
        {.id = "<Primary><Alt>t", .command = "xfce4-terminal", .binding = "<Primary><Alt>t"},
        {.id = "<Control>KP_1", .command = "pad", .binding = "<Control>KP_1"},
    };
    const std::vector<RegistryEntry> kde{
        {.id = "quillet-0", .name = "Text", .binding = "201326670"}};
    struct Case {
        Kind kind;
        const std::vector<RegistryEntry>* entries;
        Shortcut shortcut;
        const char* usedBy; // null: free
    };
    const Case cases[] = {
        {Kind::Gnome, &gnome, {'e', 64}, "Files"},
        {Kind::Gnome, &gnome, {'E', 64}, "Files"},
        {Kind::Gnome, &gnome, {0xff1b, 4 | 1}, "Close window"},
        {Kind::Gnome, &gnome, {'e', 4}, nullptr},
        {Kind::Gnome, &gnome, {'x', 64}, nullptr}, // Meta is not Super
        {Kind::Xfce, &xfce, {'t', 4 | 8}, "xfce4-terminal"},
        {Kind::Xfce, &xfce, {0xffb1, 4}, "pad"},
        {Kind::Kde, &kde, {'n', 4 | 8}, "Text"},
        {Kind::Kde, &kde, {'n', 4}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(shortcutText(c.shortcut));
        const auto found = registryEntryUsing(c.kind, *c.entries, c.shortcut);
        if (c.usedBy == nullptr) {
            EXPECT_FALSE(found);
        } else {
            ASSERT_TRUE(found);
            EXPECT_EQ(found->name.empty() ? found->command : found->name, c.usedBy);
        }
    }
}

TEST(DesktopShortcutsTest, OnlyOurIdsNameATemplate) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"quillet-0", 0},
        {"quillet-12", 12},
        {"quillet-", std::nullopt},
        {"quillet-3x", std::nullopt},
        {"quillet--1", std::nullopt},
        {"custom3", std::nullopt},
        {"_launch", std::nullopt},
        {"shortcut", std::nullopt},
    };
    for (const auto& [id, index] : cases) {
        SCOPED_TRACE(id);
        EXPECT_EQ(templateIndexOfRegistryId(id), index);
    }
}

// A registry that, like KDE's, answers who holds one key and lists only our
// own entries.
class KeyHolderRegistry final : public ShortcutRegistry {
public:
    std::vector<RegistryEntry> holders;
    std::vector<std::string> asked;
    ShortcutRegistryKind kind() const override { return Kind::Kde; }
    Expected<std::vector<RegistryEntry>> entries() override { return std::vector<RegistryEntry>{}; }
    Status apply(const RegistryChanges&) override { return {}; }
    Expected<std::vector<RegistryEntry>> entriesUsing(const std::string& binding) override {
        asked.push_back(binding);
        return holders;
    }
};

TEST(DesktopShortcutsTest, TheSheetsTrialAsksTheRegistryWhoHoldsTheKey) {
    struct Case {
        const char* what;
        std::vector<RegistryEntry> holders;
        const char* refusedWith; // null: free
    };
    const Case cases[] = {
        {"free", {}, nullptr},
        {"another program's action",
         {{.id = "Window Close",
           .name = "KWin: Close Window",
           .binding = "201326670",
           .builtIn = true}},
         "KWin: Close Window"},
        {"our own entry", {{.id = "quillet-2", .name = "Text", .binding = "201326670"}}, "Text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeyHolderRegistry registry;
        registry.holders = c.holders;
        RegistryHotKeyCenter center(registry);
        auto trial = std::make_shared<HotKey>();
        trial->keyCombo = Shortcut{'n', modifier::kControl | modifier::kAlt}.toDictionary();
        const Status status = center.registerHotKey(trial);
        EXPECT_EQ(registry.asked, std::vector<std::string>{"201326670"});
        if (c.refusedWith == nullptr) {
            EXPECT_TRUE(status);
        } else {
            ASSERT_FALSE(status);
            EXPECT_EQ(status.error().reason(), c.refusedWith);
            EXPECT_EQ(status.error().code(), std::make_error_code(std::errc::file_exists));
        }
    }
}

} // namespace
} // namespace quillet
