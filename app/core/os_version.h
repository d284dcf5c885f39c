// The operating system's version string: what the helper launch once per
// system version compares. The distribution's PRETTY_NAME and the kernel
// release, so that an upgrade of either counts as a new version.
#pragma once

#include <string>

namespace quillet::app {

// From the text of os-release and the kernel release ("Debian GNU/Linux 12
// (bookworm) 6.1.0-18-amd64"). A missing PRETTY_NAME reads as "Linux".
std::string osVersionString(const std::string& osReleaseText, const std::string& kernelRelease);

// Of the running system (/etc/os-release, else /usr/lib/os-release; uname).
std::string currentOSVersionString();

} // namespace quillet::app
