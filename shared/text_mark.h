// Marking texts for the catalog templates.
#pragma once

namespace quillet {

// Marks a text where it is written so that the catalog template picks it up
// (xgettext's keyword N_); it is translated where it is shown, through the
// program's translate function.
constexpr const char* N_(const char* text) {
    return text;
}

} // namespace quillet
