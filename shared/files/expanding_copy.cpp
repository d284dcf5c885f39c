#include "expanding_copy.h"

#include "shared/fd_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

namespace {

constexpr const char* kFillAction = "fill in the variables of";

// Rewrites the open file's text with the variables filled in.
Status fillInText(int fd, const std::string& path, const VariableContext& context) {
    Expected<std::string> text = readAll(fd);
    if (!text) {
        return text.error().during(kFillAction);
    }
    if (!isExpandableText(*text)) {
        return {};
    }
    const std::string filled = expandVariables(*text, context);
    if (filled == *text) {
        return {};
    }
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
        return Error::fromErrno(kFillAction, path);
    }
    if (Status written = writeAll(fd, filled); !written) {
        return written.error().during(kFillAction);
    }
    return {};
}

Status fillInVariables(const std::string& path, const VariableContext& context) {
    // Only a regular file has text; a copied folder or link stays as it is
    // (O_NOFOLLOW keeps a link's target, anyone's file, out of reach).
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return Error::fromErrno(kFillAction, path);
    }
    if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > kMaxExpandedTextBytes) {
        return {};
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return Error::fromErrno(kFillAction, path);
    }
    Status filled = fillInText(fd, path, context);
    ::close(fd);
    return filled;
}

} // namespace

CopyStep expandingCopyStep(VariableContext context, CopyStep copy) {
    return [context = std::move(context), copy = std::move(copy)](
               const std::string& source, const std::string& destination) -> Status {
        if (Status copied = copy(source, destination); !copied) {
            return copied;
        }
        return fillInVariables(destination, context);
    };
}

} // namespace quillet
