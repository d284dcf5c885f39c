// Texts the user may override through the store's `localizedStrings` table.
#pragma once

#include <functional>
#include <string>

namespace quillet {

class SettingsStore;

// A program's own translation of an English text (its gettext domain).
using Translator = std::function<std::string(const std::string&)>;

// The override when the table holds a non-empty string for the key, else the
// program's translation of the key. The table is read afresh on every call.
std::string localizedStringForKey(const SettingsStore& store, const std::string& key,
                                  const Translator& translate);

// Fills a "New %@" pattern with the title. Never fails and never reads more
// than its one argument: the first "%@" (or "%1$@") takes the title, later
// ones are dropped, "%%" is a percent sign, any other "%" stands as it is.
std::string formatWithTitle(const std::string& pattern, const std::string& title);

} // namespace quillet
