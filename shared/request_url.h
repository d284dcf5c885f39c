// The creation request URL: "quillet://" + escaped folder path + "?" + index.
#pragma once

#include "error.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

// Escapes a folder path for the URL: everything but unreserved characters,
// "/" and a few path-safe marks becomes %XX of its UTF-8 bytes ("%", "?", "#",
// space and non-ASCII letters included), so that decoding restores it exactly.
std::string percentEncodePath(std::string_view path);

// Removes percent escapes; a malformed escape stays as it is.
std::string percentDecode(std::string_view text);

std::string makeRequestURL(const std::string& folderPath, std::uint64_t index);

// Leading white space skipped, an optional sign, leading digits; anything else
// gives 0. Saturates instead of overflowing.
std::int64_t integerValue(std::string_view text);

struct CreationRequest {
    std::string folderPath; // percent-decoded
    std::int64_t index = 0; // the query's integer value; 0 when there is no query
};

// Splits a URL of any scheme into its decoded path and its query's integer
// value. An error when the text is not a URL ("scheme:" missing).
[[nodiscard]] Expected<CreationRequest> parseRequestURL(std::string_view url);

} // namespace quillet
