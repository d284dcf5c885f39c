// Joining translated sentences into one paragraph.
#pragma once

#include <string>

namespace quillet {

// `first` and `second` as one paragraph: a space between them after a Latin
// full stop ("… there. Open …"), none after the ideographic one or another
// full-width mark, which carries its own spacing ("…できません。ドック…").
std::string joinSentences(const std::string& first, const std::string& second);

} // namespace quillet
