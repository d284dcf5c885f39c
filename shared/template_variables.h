// Variables in a template's name and text: "{date}", "{folder}" and the
// others below are replaced by what they stand for at the moment and place of
// a creation; "{{" and "}}" are literal braces; a name in braces that is not
// one of ours is left as it is, so that text which merely uses braces (code,
// a JSON template) survives. Pure functions: the clock, the user and the
// folder come in as a context, which the tests make up.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// The local wall-clock time of a creation, as the names show it.
struct LocalTime {
    int year = 1970;
    int month = 1; // 1 to 12
    int day = 1;   // 1 to 31
    int hour = 0;
    int minute = 0;
};

struct VariableContext {
    LocalTime now;
    std::string folder; // the target folder's path
    std::string user;   // the user's full name, else the login name

    // The real clock and the account of the running user, for `folder`.
    static VariableContext at(const std::string& folder);
};

// The text with every known variable replaced and the escapes resolved.
std::string expandVariables(std::string_view text, const VariableContext& context);

// The names in braces that are not variables ("{dat}" gives "dat"), in order,
// each once: what a user probably mistyped.
std::vector<std::string> unknownVariables(std::string_view text);

// The largest text whose variables are filled in; bigger files are copied as
// they are.
inline constexpr std::size_t kMaxExpandedTextBytes = 1024 * 1024;

// Whether a file with this content counts as text for the expansion: valid
// UTF-8 of at most kMaxExpandedTextBytes. Anything else is copied byte for
// byte, as a template without variables would be.
bool isExpandableText(std::string_view content);

// The prefix with its variables filled in, or the prefix as it is when the
// result could not be an item's name in the folder: empty, "." or "..",
// holding a "/" or a NUL, or so long that with ".suffix" it exceeds a file
// name's limit.
std::string expandedPrefix(const std::string& prefix, const std::string& suffix,
                           const VariableContext& context);

} // namespace quillet
