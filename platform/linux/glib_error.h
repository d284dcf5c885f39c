// GLib's errors in the suite's error type, at the edge where a GIO or GDBus
// call reports one.
#pragma once

#include "shared/error.h"

#include <string>

typedef struct _GError GError;

namespace quillet::platform {

// The GError's message is the reason; the error is cleared (freed and set to
// null). A null error (a call that failed without saying why) reads as an
// input/output error.
Error takeGError(std::string action, std::string path, GError** error);

// Whether a D-Bus call failed with a remote error whose name contains
// `namePart` ("NotFound", "NoSuchComponent"); the error is left as it is.
bool isRemoteErrorNamed(const GError* error, const char* namePart);

} // namespace quillet::platform
