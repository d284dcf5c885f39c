#include "xdg_paths.h"

#include "fd_io.h"
#include "files/item_lookup.h"
#include "identifiers.h"
#include "user_dirs.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::paths {

namespace {

std::string envPath(const char* name) {
    const char* v = std::getenv(name);
    // Relative values are invalid by the base-directory rules and ignored.
    if (v && v[0] == '/') {
        return v;
    }
    return {};
}

std::string userDirsText() {
    // Without the file (or unreadable), no folder is set.
    return readFile(appendingPathComponent(configHome(), "user-dirs.dirs")).valueOr(std::string());
}

} // namespace

std::string loginName() {
    if (const char* u = std::getenv("USER"); u && *u) {
        return u;
    }
    if (passwd* pw = ::getpwuid(::getuid())) {
        return pw->pw_name;
    }
    return {};
}

std::string home() {
    std::string h = envPath("HOME");
    if (!h.empty()) {
        return h;
    }
    if (passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        return pw->pw_dir;
    }
    return "/";
}

std::string configHome() {
    std::string v = envPath("XDG_CONFIG_HOME");
    return v.empty() ? appendingPathComponent(home(), ".config") : v;
}

std::string dataHome() {
    std::string v = envPath("XDG_DATA_HOME");
    return v.empty() ? appendingPathComponent(home(), ".local/share") : v;
}

std::string cacheHome() {
    std::string v = envPath("XDG_CACHE_HOME");
    return v.empty() ? appendingPathComponent(home(), ".cache") : v;
}

std::string runtimeDir() {
    std::string v = envPath("XDG_RUNTIME_DIR");
    return v.empty() ? cacheHome() : v;
}

std::string desktopDir() {
    const std::string h = home();
    std::string desktop = userDirectory(userDirsText(), "XDG_DESKTOP_DIR", h);
    return desktop.empty() ? appendingPathComponent(h, "Desktop") : desktop;
}

std::string templatesUserDir() {
    const std::string h = home();
    const std::string templates = userDirectory(userDirsText(), "XDG_TEMPLATES_DIR", h);
    return templates == standardizedPath(h) ? std::string() : templates;
}

std::vector<std::string> removableMediaRoots() {
    std::vector<std::string> roots;
    const std::string user = loginName();
    if (user.empty()) {
        return roots;
    }
    for (const char* base : {"/run/media/", "/media/"}) {
        std::string root = base + user;
        if (isFolder(root)) {
            roots.push_back(root);
        }
    }
    return roots;
}

std::string storeFile(const std::string& suiteName) {
    return appendingPathComponent(appendingPathComponent(configHome(), "quillet"),
                                  suiteName + ".json");
}

std::string privateDefaultsFile(const std::string& programId) {
    return storeFile(programId);
}

std::string containerDir() {
    return appendingPathComponent(dataHome(), "quillet");
}

std::string templatesDir() {
    return appendingPathComponent(containerDir(), "Templates");
}

std::string helperScriptsDir() {
    return appendingPathComponent(appendingPathComponent(containerDir(), "scripts"), ids::kHelper);
}

std::string executablePath() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) {
        return {};
    }
    return std::string(buf, static_cast<std::size_t>(n));
}

std::string resourcesDir(const std::string& program) {
    std::string binDir = deletingLastPathComponent(executablePath());
    return standardizedPath(appendingPathComponent(binDir, "../share/quillet/" + program));
}

std::string lastPathComponent(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    auto end = path.find_last_not_of('/');
    if (end == std::string::npos) {
        return "/";
    }
    auto start = path.rfind('/', end);
    return path.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

std::string deletingLastPathComponent(const std::string& path) {
    auto end = path.find_last_not_of('/');
    if (end == std::string::npos) {
        return path.empty() ? std::string() : std::string("/");
    }
    auto slash = path.rfind('/', end);
    if (slash == std::string::npos) {
        return {};
    }
    auto keep = path.find_last_not_of('/', slash);
    if (keep == std::string::npos) {
        return "/";
    }
    return path.substr(0, keep + 1);
}

std::string pathExtension(const std::string& path) {
    std::string name = lastPathComponent(path);
    auto dot = name.rfind('.');
    // A leading dot marks a hidden file, not an extension; a trailing dot has none.
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size() || name == "/") {
        return {};
    }
    return name.substr(dot + 1);
}

std::string deletingPathExtension(const std::string& path) {
    std::string ext = pathExtension(path);
    if (ext.empty()) {
        return path;
    }
    auto end = path.find_last_not_of('/');
    return path.substr(0, end + 1 - ext.size() - 1);
}

std::string appendingPathComponent(const std::string& dir, const std::string& name) {
    if (dir.empty()) {
        return name;
    }
    if (name.empty()) {
        return dir;
    }
    std::string out = withoutTrailingSlashes(dir);
    std::size_t skip = name.find_first_not_of('/');
    if (skip == std::string::npos) {
        return out;
    }
    // Appending in place (rather than "/" + substr) copies each byte once and
    // gives the optimiser no temporary whose overlap it must reason about.
    if (out != "/") {
        out.push_back('/');
    }
    out.append(name, skip);
    return out;
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string standardizedPath(const std::string& path) {
    std::string p = path;
    if (p.starts_with("~") && (p.size() == 1 || p[1] == '/')) {
        p = home() + p.substr(1);
    }
    if (p.empty()) {
        return p;
    }
    bool absolute = p.front() == '/';
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= p.size()) {
        std::size_t j = p.find('/', i);
        if (j == std::string::npos) {
            j = p.size();
        }
        std::string part = p.substr(i, j - i);
        if (part.empty() || part == ".") {
            // skip
        } else if (part == ".." && absolute) {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out = absolute ? "/" : "";
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (k > 0) {
            out += "/";
        }
        out += parts[k];
    }
    return out.empty() ? "." : out;
}

} // namespace quillet::paths
