// The icon that stands for a template in the format chooser.
#pragma once

#include "shared/ports/file_types.h"
#include "shared/records.h"

#include <QHash>
#include <QIcon>

#include <optional>

namespace quillet::platform::qt {

// The icon theme's icon for the template's file type (its suffix); without a
// file-type port, the type is looked up in the MIME database instead. A
// generic file or folder icon when the theme has nothing better.
QIcon templateIcon(const FileTemplate& fileTemplate, const FileTypes* fileTypes);

// The same icons for a long list of templates: each file type is looked up
// once, when the first icon of that type is asked for, and every template of
// the type shares its icon (and so the pixmaps drawn from it).
class TemplateIcons {
public:
    explicit TemplateIcons(const FileTypes* fileTypes) : fileTypes_(fileTypes) {}

    QIcon iconFor(const FileTemplate& fileTemplate);

private:
    const FileTypes* fileTypes_;
    QHash<QString, QIcon> bySuffix_; // null: the theme has no icon for it
    std::optional<QIcon> folder_;
    std::optional<QIcon> file_;
};

} // namespace quillet::platform::qt
