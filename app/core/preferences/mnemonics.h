// Access keys for the labels of one window: each label gets an "&" before a
// letter that no other label of the window uses, so that Alt with that
// letter reaches the control. Assigned at run time rather than written into
// the texts, so that every language gets keys without clashes.
#pragma once

#include <string>
#include <vector>

namespace quillet::app {

// The labels with their access keys, in the same order. A letter that begins
// a word is preferred, then any other; a label whose letters are all taken
// stays without one. An "&" in a label is kept as a literal "&&".
// `reserved`: letters the window uses already (any case).
std::vector<std::string> withMnemonics(const std::vector<std::string>& labels,
                                       const std::string& reserved = {});

} // namespace quillet::app
