// The icon that stands for a template in the format chooser.
#pragma once

#include "shared/ports/file_types.h"
#include "shared/records.h"

#include <QIcon>

namespace quillet::platform::qt {

// The icon theme's icon for the template's file type (its suffix); without a
// file-type port, the type is looked up in the MIME database instead. A
// generic file or folder icon when the theme has nothing better.
QIcon templateIcon(const FileTemplate& fileTemplate, const FileTypes* fileTypes);

} // namespace quillet::platform::qt
