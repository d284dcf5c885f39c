// A throw-away home for one test: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and
// XDG_CACHE_HOME point into a fresh temporary folder while the object lives,
// so no test ever reads or writes the real user's files. The runtime folder is
// left alone: the session bus of the test run lives there.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace quillet::test {

class TempXdg {
public:
    TempXdg() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillet-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        root_ = pattern;
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        }
        std::filesystem::create_directories(home());
        std::filesystem::create_directories(configHome());
        std::filesystem::create_directories(dataHome());
        std::filesystem::create_directories(cacheHome());
        ::setenv("HOME", home().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
        ::setenv("XDG_DATA_HOME", dataHome().c_str(), 1);
        ::setenv("XDG_CACHE_HOME", cacheHome().c_str(), 1);
    }

    TempXdg(const TempXdg&) = delete;
    TempXdg& operator=(const TempXdg&) = delete;

    ~TempXdg() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
        // Tests make folders read-only; give the owner its rights back first.
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(
                 root_, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec)) {
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
            }
        }
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root_, ec);
    }

    // The temporary folder itself; HOME and the XDG folders are inside it.
    const std::string& root() const { return root_; }
    std::string home() const { return root_ + "/home"; }
    std::string configHome() const { return root_ + "/config"; }
    std::string dataHome() const { return root_ + "/data"; }
    std::string cacheHome() const { return root_ + "/cache"; }
    // A fresh folder below the root, for a test's own files.
    std::string makeDir(const std::string& relative) const {
        std::string dir = root_ + "/" + relative;
        std::filesystem::create_directories(dir);
        return dir;
    }

private:
    std::string root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace quillet::test
