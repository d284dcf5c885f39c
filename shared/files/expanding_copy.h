// A copy step that fills a template's variables into the new file's text.
// It runs inside the safe creation, on the hidden temporary copy, so the
// item reaches its final name only with its text complete: never-replace
// and crash safety stay the safe creation's.
#pragma once

#include "safe_create.h"
#include "shared/template_variables.h"

namespace quillet {

// Copies with `copy`, then, when the copy is a regular file whose content is
// text (isExpandableText), rewrites it with the variables filled in. Folders,
// links and anything else stay as `copy` made them.
CopyStep expandingCopyStep(VariableContext context, CopyStep copy = copyNewItem);

} // namespace quillet
