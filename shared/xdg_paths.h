// Where the suite keeps its files, after the XDG base-directory rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet::paths {

std::string home();
std::string configHome(); // $XDG_CONFIG_HOME or ~/.config
std::string dataHome();   // $XDG_DATA_HOME or ~/.local/share
std::string cacheHome();  // $XDG_CACHE_HOME or ~/.cache
// $XDG_RUNTIME_DIR, else the user's cache folder: never a folder other users
// can write, such as /tmp.
std::string runtimeDir();

// The login name: $USER, else the account's.
std::string loginName();

// The user's desktop folder: XDG_DESKTOP_DIR from user-dirs.dirs, else ~/Desktop.
std::string desktopDir();

// The desktop's templates folder (XDG_TEMPLATES_DIR); empty when there is
// none: not set, or set to the home folder itself, which file managers take
// for "no templates folder".
std::string templatesUserDir();

// /run/media/$USER and /media/$USER, those that exist.
std::vector<std::string> removableMediaRoots();

std::string storeFile(const std::string& suiteName); // $XDG_CONFIG_HOME/quillet/<suite>.json
std::string privateDefaultsFile(const std::string& programId);
std::string containerDir();     // $XDG_DATA_HOME/quillet
std::string templatesDir();     // .../quillet/Templates
std::string helperScriptsDir(); // .../quillet/scripts/org.quillet.QuilletHelper

// Resources of a program: <exe dir>/../share/quillet/<program>.
std::string resourcesDir(const std::string& program);
std::string executablePath();

// Path helpers with the platform's string semantics.
std::string lastPathComponent(const std::string& path);
std::string deletingLastPathComponent(const std::string& path);
std::string pathExtension(const std::string& path);
std::string deletingPathExtension(const std::string& path);
std::string appendingPathComponent(const std::string& dir, const std::string& name);
std::string standardizedPath(const std::string& path);
// "/a/b/" and "/a/b//" are "/a/b"; "/" stays "/".
std::string withoutTrailingSlashes(std::string path);

} // namespace quillet::paths
