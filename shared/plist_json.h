// The settings file format: one JSON object, key -> value; data as {"$data": "<base64>"}.
#pragma once

#include "error.h"
#include "value.h"

#include <string>
#include <string_view>

namespace quillet {

// Parses a whole settings file. Anything but a JSON object is an error whose
// reason says why the text is not a settings file ("not valid JSON").
[[nodiscard]] Expected<Value::Dictionary> parseSettingsText(std::string_view text);
// Reads and parses a whole settings file (a program's registered defaults);
// the error's path is the file.
[[nodiscard]] Expected<Value::Dictionary> readSettingsFile(const std::string& path);

// Serialises a dictionary as a settings file (pretty-printed, stable key order).
// An error when a key or string is not UTF-8: JSON cannot hold it, and storing
// a mangled copy would make other programs read a different value.
[[nodiscard]] Expected<std::string> serializeSettings(const Value::Dictionary& values);

// Single values, as the command-line tool reads and prints them.
[[nodiscard]] Expected<Value> valueFromJsonText(std::string_view text);
std::string valueToJsonText(const Value& value, bool pretty = true);

} // namespace quillet
