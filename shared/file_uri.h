// "file:" URIs as file managers, drop targets and stored settings write them:
// the one place that turns them into paths.
#pragma once

#include "shared/error.h"

#include <string>
#include <string_view>

namespace quillet {

// The local path of a "file:" URI: "file:///p", "file:/p", "file://localhost/p"
// and "file://<hostName>/p" (drop targets name this machine), percent-decoded,
// without query or fragment. An Error for another host or another scheme.
Expected<std::string> localPathFromFileURI(std::string_view uri, std::string_view hostName = {});

// A location as the settings keep it, or as a folder is handed over: text
// that begins with "file://" is a URL and read as above; any other text is a
// path already and comes back as it is.
Expected<std::string> pathFromLocation(std::string_view text);

// Whether the text starts with "<scheme>://", a URI rather than a path.
bool hasURIScheme(std::string_view text);

} // namespace quillet
