// The suite's conversions between the core's strings and Qt's, under the
// names the new-file panel uses.
#pragma once

#include "platform/linux/qt/qt_text.h"

namespace quillet::helper {

using platform::qt::corePath;
using platform::qt::coreText;
using platform::qt::qtPath;
using platform::qt::qtText;

} // namespace quillet::helper
