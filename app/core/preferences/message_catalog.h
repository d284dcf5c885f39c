// Compiled gettext catalogs (.mo files) read as tables: libintl translates
// one message at a time but cannot list a catalog's messages, which is what
// the Localization pane shows.
#pragma once

#include "shared/error.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::app {

// Message id to translated text. The header entry and messages with a
// context are left out; a plural entry is listed under its singular id.
using MessageTable = std::map<std::string, std::string>;

// A catalog of the file-manager module holds a few dozen messages in a few
// kilobytes; anything far larger is not one of ours (the locale folder of a
// per-user install is writable by any program the user runs).
inline constexpr std::size_t kMaxMessageCatalogBytes = 1024 * 1024;

// Fails when the file is missing, unreadable, not a regular file, larger than
// kMaxMessageCatalogBytes or not a catalog.
[[nodiscard]] Expected<MessageTable> readMessageCatalog(const std::string& path);

// The same for a catalog already in memory, in time linear in its size:
// every string must lie inside the bytes, and together they may not cover
// more than the bytes do (msgfmt never shares a string between entries; a
// file whose entries all point at one large string is refused instead of
// being copied once per entry). `path` only names the source in errors.
[[nodiscard]] Expected<MessageTable> parseMessageCatalog(std::string_view bytes,
                                                         const std::string& path);

// <dir>/<language>/<relative> for the first language of the list that has it,
// each language tried with its variants as gettext does ("de_DE.UTF-8@euro":
// itself, "de_DE@euro", "de_DE", "de"); "C", "POSIX" and names with a slash
// have none. Nothing when no language has it.
std::optional<std::string> locateLocalized(const std::string& dir, const std::string& relative,
                                           const std::vector<std::string>& languages);

// <localeDir>/<language>/LC_MESSAGES/<domain>.mo for the first language of
// the list that has one (as gettext searches: "de_DE.UTF-8" tries itself,
// then "de_DE", then "de"; "C" and "POSIX" have none), else the same for
// the base language. Nothing when neither exists.
std::optional<std::string> locateCatalog(const std::string& localeDir, const std::string& domain,
                                         const std::vector<std::string>& languages,
                                         const std::string& baseLanguage);

} // namespace quillet::app
