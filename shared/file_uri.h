// "file:" URIs as file managers and drop targets write them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillet {

// The local path of a "file:" URI: "file:///p", "file:/p", "file://localhost/p"
// and "file://<hostName>/p" (drop targets name this machine), percent-decoded,
// without query or fragment. Nothing for another host or another scheme.
std::optional<std::string> localPathFromFileURI(std::string_view uri,
                                                std::string_view hostName = {});

// Whether the text starts with "<scheme>://", a URI rather than a path.
bool hasURIScheme(std::string_view text);

} // namespace quillet
