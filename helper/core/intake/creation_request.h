// Reading a creation request URL as the helper accepts it.
#pragma once

#include "shared/request_url.h"

#include <cstddef>
#include <string>
#include <variant>

namespace quillet::helper {

struct MalformedRequest {
    std::string reason; // English text, translated by the caller
};

// The longest folder path a request may name (PATH_MAX).
inline constexpr std::size_t kMaxFolderPathLength = 4096;

// The folder and template index of a "quillet:" URL. Anything that would not
// name a local folder is refused rather than guessed at: another scheme, a
// host part ("quillet://host/..."), a path that is not absolute, longer than
// kMaxFolderPathLength, with a "." or ".." component, or one that decodes to
// a NUL byte. The index is the query's integer value, 0 without a
// query.
std::variant<CreationRequest, MalformedRequest> readCreationRequest(const std::string& url);

} // namespace quillet::helper
