// The settings file format: one JSON object, key -> value; data as {"$data": "<base64>"}.
#pragma once

#include "value.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillet {

struct ParseResult {
    bool ok = false;
    Value::Dictionary values; // empty unless ok
    std::string error;        // why the text is not a settings file
};

// Parses a whole settings file. Anything but a JSON object is an error.
ParseResult parseSettingsText(std::string_view text);
// Reads and parses a whole settings file (a program's registered defaults);
// the error names the file when it cannot be read.
ParseResult readSettingsFile(const std::string& path);

// Serialises a dictionary as a settings file (pretty-printed, stable key order).
// Nothing when a key or string is not UTF-8: JSON cannot hold it, and storing
// a mangled copy would make other programs read a different value.
std::optional<std::string> serializeSettings(const Value::Dictionary& values);

// Single values, as the command-line tool reads and prints them.
bool valueFromJsonText(std::string_view text, Value& out, std::string& error);
std::string valueToJsonText(const Value& value, bool pretty = true);

} // namespace quillet
