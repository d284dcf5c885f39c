// The shortcut sheet's rules: what it shows for a template, which recorded
// combinations it accepts, and what confirming it writes.
#pragma once

#include "shared/ports/hot_key_center.h"
#include "shared/settings_store.h"
#include "shared/value.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace quillet::app {

// The sheet's return codes.
inline constexpr int kShortcutSheetOK = 1;
inline constexpr int kShortcutSheetCancel = 0;

struct ShortcutSheetContent {
    std::string suffix; // the icon is the one of files with this extension
    std::string title;  // the icon's tool tip; empty: none
    std::string name;   // the default file name, or "N/A" without a prefix
    std::optional<Value::Dictionary> shortcut;
};

ShortcutSheetContent shortcutSheetContent(const Value& record);

// Whether the recorder may take the candidate: a trial registration of a
// system-wide hot key "test" succeeds (and is undone at once). The template's
// own shortcut is held by the helper, so it is taken back without a trial.
// The refusal is the trial's error.
Status canRecordShortcut(HotKeyCenter& hotKeys, const Value::Dictionary& candidate,
                         const std::optional<Value::Dictionary>& ownShortcut,
                         const std::function<void()>& onTrialPress);

struct ShortcutSheetCompletion {
    SettingsStore& store;
    // Writes the whole template list (stored, synchronised, announced).
    std::function<void(const Value::Array&)> saveFileTemplates;
    // Starts the helper unless it runs.
    std::function<void()> launchHelper;
};

struct ShortcutSheetOutcome {
    bool wroteTemplates = false;
    std::optional<bool> shouldLaunchHelper; // nothing: not recomputed (cancelled)
};

// Applies the sheet's end: with OK, the record (as it was at opening, at
// `row`) gets the recorded shortcut or loses it, unless it is unchanged;
// then shouldLaunchHelper follows whether any template has a shortcut, and
// the helper is started when one has.
ShortcutSheetOutcome completeShortcutSheet(const ShortcutSheetCompletion& completion,
                                           int returnCode, std::size_t row,
                                           const Value& recordAtOpening,
                                           const std::optional<Value::Dictionary>& recorded);

} // namespace quillet::app
