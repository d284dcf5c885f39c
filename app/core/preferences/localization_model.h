// The rules of the Localization pane: one row per message of the file-manager
// module's catalog, sorted, showing the user's replacement from
// `localizedStrings` with the catalog's own text as the placeholder. Every
// edit writes the whole table back; the readers look it up each time, so no
// notification is needed.
#pragma once

#include "message_catalog.h"

#include "shared/error.h"
#include "shared/settings_store.h"
#include "shared/value.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet::app {

// What a message of the menu is, in English, for showing beside its key
// (where "%@" goes, for one with a title in it); empty for an unknown key.
std::string messageDescription(const std::string& key);

class LocalizationModel {
public:
    static constexpr const char* kExtensionDomain = "quillet-extension";
    // The catalog whose ids are the English texts themselves.
    static constexpr const char* kBaseLanguage = "en";

    LocalizationModel(SettingsStore store, MessageTable defaultStrings);

    // The messages of the extension's base catalog, each with its text in
    // the first of the languages that has a catalog, or empty (the
    // untranslated id) where that catalog lacks it or cannot be read. An
    // empty table when the base catalog cannot be read.
    static MessageTable defaultStringsFor(const std::string& localeDir,
                                          const std::vector<std::string>& languages);

    std::size_t count() const { return keys_.size(); }
    const std::string& keyAt(std::size_t row) const { return keys_.at(row); }
    // The replacement, or nothing when the table has no entry for the key.
    std::optional<std::string> valueAt(std::size_t row) const;
    // The text shown while the replacement is empty.
    std::string placeholderAt(std::size_t row) const;

    // Stores the replacement (an empty one included) or, for nothing, removes
    // the entry, then writes the whole table. Fails when the store refused;
    // the working copy then keeps the stored state.
    [[nodiscard]] Status setValue(std::size_t row, const std::optional<std::string>& value);

private:
    SettingsStore store_;
    MessageTable defaults_;
    std::vector<std::string> keys_;
    std::optional<Value::Dictionary> localizedStrings_;
};

} // namespace quillet::app
