#include "writability.h"

#include "request_url.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

Status checkWritableOrCreatable(const std::string& path) {
    // One buffer shortened in place: a path of n components costs n probes
    // and no copy of the path per step, however long a caller's path is.
    std::string p = path;
    struct stat st {};
    while (p.size() >= 2 && ::stat(p.c_str(), &st) != 0) {
        const auto end = p.find_last_not_of('/');
        if (end == std::string::npos) {
            p.resize(1); // only slashes: the root folder
            break;
        }
        const auto slash = p.rfind('/', end);
        if (slash == std::string::npos) {
            p.clear(); // a relative name without a folder
            break;
        }
        const auto keep = p.find_last_not_of('/', slash);
        p.resize(keep == std::string::npos ? 1 : keep + 1);
    }
    if (!p.empty() && !p.ends_with("/") && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        p += "/";
    }
    if (::access(p.c_str(), W_OK) == 0) {
        return {};
    }
    Error error = Error::fromErrno("write in", p);
    // A caller may hand over the path of a URL still carrying its escapes.
    if (p.find('%') != std::string::npos && ::access(percentDecode(p).c_str(), W_OK) == 0) {
        return {};
    }
    return error;
}

} // namespace quillet
