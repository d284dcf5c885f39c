#include "app/core/os_version.h"

#include "shared/fd_io.h"

#include <sstream>
#include <sys/utsname.h>

namespace quillet::app {

namespace {

// A value of os-release may be quoted with single or double quotes, with
// backslash escapes inside double quotes.
std::string unquote(const std::string& value) {
    if (value.size() < 2 || (value.front() != '"' && value.front() != '\'') ||
        value.back() != value.front()) {
        return value;
    }
    std::string out;
    const std::string inner = value.substr(1, value.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (value.front() == '"' && inner[i] == '\\' && i + 1 < inner.size()) {
            ++i;
        }
        out += inner[i];
    }
    return out;
}

} // namespace

std::string osVersionString(const std::string& osReleaseText, const std::string& kernelRelease) {
    std::string pretty;
    std::istringstream lines(osReleaseText);
    for (std::string line; std::getline(lines, line);) {
        static const std::string key = "PRETTY_NAME=";
        if (line.compare(0, key.size(), key) == 0) {
            pretty = unquote(line.substr(key.size()));
        }
    }
    if (pretty.empty()) {
        pretty = "Linux";
    }
    return kernelRelease.empty() ? pretty : pretty + " " + kernelRelease;
}

std::string currentOSVersionString() {
    Expected<std::string> osRelease = readFile("/etc/os-release");
    if (!osRelease) {
        osRelease = readFile("/usr/lib/os-release");
    }
    const std::string text = osRelease.valueOr(std::string());
    struct utsname names {};
    std::string kernel = ::uname(&names) == 0 ? names.release : "";
    return osVersionString(text, kernel);
}

} // namespace quillet::app
