// Compiled gettext catalogs (.mo files) read as tables: libintl translates
// one message at a time but cannot list a catalog's messages, which is what
// the Localization pane shows.
#pragma once

#include "shared/error.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillet::app {

// Message id to translated text. The header entry and messages with a
// context are left out; a plural entry is listed under its singular id.
using MessageTable = std::map<std::string, std::string>;

// Fails when the file is missing, unreadable or not a catalog.
[[nodiscard]] Expected<MessageTable> readMessageCatalog(const std::string& path);

// <localeDir>/<language>/LC_MESSAGES/<domain>.mo for the first language of
// the list that has one (as gettext searches: "de_DE.UTF-8" tries itself,
// then "de_DE", then "de"; "C" and "POSIX" have none), else the same for
// the base language. Nothing when neither exists.
std::optional<std::string> locateCatalog(const std::string& localeDir, const std::string& domain,
                                         const std::vector<std::string>& languages,
                                         const std::string& baseLanguage);

} // namespace quillet::app
