#include "app/core/preferences/shortcut_sheet_model.h"

#include "shared/keys.h"

#include <iostream>
#include <memory>

namespace quillet::app {

namespace {

std::string stringField(const Value& record, const char* key) {
    const Value* value = record.find(key);
    const std::string* text = value != nullptr ? value->asString() : nullptr;
    return text != nullptr ? *text : std::string();
}

std::optional<Value::Dictionary> shortcutOf(const Value& record) {
    const Value* value = record.find(keys::kShortcut);
    if (value == nullptr || !value->isDictionary()) {
        return std::nullopt;
    }
    return *value->asDictionary();
}

} // namespace

ShortcutSheetContent shortcutSheetContent(const Value& record) {
    ShortcutSheetContent content;
    content.suffix = stringField(record, keys::kSuffix);
    content.title = stringField(record, keys::kTitle);
    const std::string prefix = stringField(record, keys::kPrefix);
    if (prefix.empty()) {
        content.name = "N/A";
    } else {
        content.name = content.suffix.empty() ? prefix : prefix + "." + content.suffix;
    }
    content.shortcut = shortcutOf(record);
    return content;
}

Status canRecordShortcut(HotKeyCenter& hotKeys, const Value::Dictionary& candidate,
                         const std::optional<Value::Dictionary>& ownShortcut,
                         const std::function<void()>& onTrialPress) {
    if (ownShortcut && Value(*ownShortcut) == Value(candidate)) {
        return {};
    }
    auto trial = std::make_shared<HotKey>();
    trial->identifier = "test";
    trial->keyCombo = candidate;
    trial->action = [onTrialPress](const HotKey&) {
        if (onTrialPress) {
            onTrialPress();
        }
    };
    if (Status registered = hotKeys.registerHotKey(trial); !registered) {
        return registered;
    }
    hotKeys.unregisterHotKey(trial);
    return {};
}

ShortcutSheetOutcome completeShortcutSheet(const ShortcutSheetCompletion& completion,
                                           int returnCode, std::size_t row,
                                           const Value& recordAtOpening,
                                           const std::optional<Value::Dictionary>& recorded) {
    ShortcutSheetOutcome outcome;
    if (returnCode != kShortcutSheetOK) {
        return outcome;
    }
    SettingsStore& store = completion.store;
    Value::Array templates = store.arrayForKey(keys::kFileTemplates).value_or(Value::Array{});
    const auto current = shortcutOf(recordAtOpening);
    const bool unchanged = recorded && current && Value(*recorded) == Value(*current);
    if (!unchanged) {
        if (row < templates.size() && recordAtOpening.isDictionary()) {
            Value record = recordAtOpening;
            if (recorded) {
                (*record.asDictionary())[keys::kShortcut] = Value(*recorded);
            } else {
                record.asDictionary()->erase(keys::kShortcut);
            }
            templates[row] = record;
            if (completion.saveFileTemplates) {
                completion.saveFileTemplates(templates);
            }
            outcome.wroteTemplates = true;
        } else {
            // The list shrank under the sheet (another program wrote it):
            // writing at that row would put the record somewhere else.
            std::cerr << "quillet: the template edited is no longer in the list\n";
        }
    }
    bool anyShortcut = false;
    for (const auto& record : templates) {
        anyShortcut = anyShortcut || shortcutOf(record).has_value();
    }
    if (const Status stored = store.setBool(keys::kShouldLaunchHelper, anyShortcut); !stored) {
        std::cerr << "quillet: cannot store shouldLaunchHelper: " << stored.error().logText()
                  << "\n";
    }
    outcome.shouldLaunchHelper = anyShortcut;
    if (anyShortcut && completion.launchHelper) {
        completion.launchHelper();
    }
    return outcome;
}

} // namespace quillet::app
