// Reading a creation request URL as the helper accepts it.
#pragma once

#include "shared/error.h"
#include "shared/request_url.h"

#include <cstddef>
#include <string>

namespace quillet::helper {

// The longest folder path a request may name (PATH_MAX).
inline constexpr std::size_t kMaxFolderPathLength = 4096;

// The folder and template index of a "quillet:" URL. Anything that would not
// name a local folder is refused rather than guessed at: another scheme, a
// host part ("quillet://host/..."), a path that is not absolute, longer than
// kMaxFolderPathLength, with a "." or ".." component, or one that decodes to
// a NUL byte. The index is the query, which must be decimal digits alone;
// 0 without a query. A refusal's detail is an English text, translated by the caller;
// it carries no path, as a hostile URL may be megabytes long.
[[nodiscard]] Expected<CreationRequest> readCreationRequest(const std::string& url);

} // namespace quillet::helper
