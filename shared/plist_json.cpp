#include "plist_json.h"

#include "fd_io.h"
#include "text_mark.h"

#include <nlohmann/json.hpp>

namespace quillet {

namespace {

using json = nlohmann::json;

constexpr const char* kDataKey = "$data";
constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64Encode(const Value::Data& data) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        std::uint32_t n = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
        out += kBase64Alphabet[(n >> 18) & 63];
        out += kBase64Alphabet[(n >> 12) & 63];
        out += kBase64Alphabet[(n >> 6) & 63];
        out += kBase64Alphabet[n & 63];
    }
    if (i + 1 == data.size()) {
        std::uint32_t n = data[i] << 16;
        out += kBase64Alphabet[(n >> 18) & 63];
        out += kBase64Alphabet[(n >> 12) & 63];
        out += "==";
    } else if (i + 2 == data.size()) {
        std::uint32_t n = (data[i] << 16) | (data[i + 1] << 8);
        out += kBase64Alphabet[(n >> 18) & 63];
        out += kBase64Alphabet[(n >> 12) & 63];
        out += kBase64Alphabet[(n >> 6) & 63];
        out += '=';
    }
    return out;
}

int base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

bool base64Decode(const std::string& text, Value::Data& out) {
    out.clear();
    std::uint32_t acc = 0;
    int bits = 0;
    std::size_t padding = 0;
    for (char c : text) {
        if (c == '=') {
            ++padding;
            continue;
        }
        if (padding > 0) {
            return false; // data after padding
        }
        int d = base64Digit(c);
        if (d < 0) {
            return false;
        }
        acc = (acc << 6) | static_cast<std::uint32_t>(d);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>((acc >> bits) & 0xFF));
        }
    }
    return padding <= 2;
}

json toJson(const Value& v) {
    switch (v.type()) {
    case Value::Type::Null:
        return nullptr;
    case Value::Type::Boolean:
        return *v.asBool();
    case Value::Type::Integer:
        return *v.asInteger();
    case Value::Type::Real:
        return *v.asReal();
    case Value::Type::String:
        return *v.asString();
    case Value::Type::Data:
        return json{{kDataKey, base64Encode(*v.asData())}};
    case Value::Type::Array: {
        json a = json::array();
        for (const Value& e : *v.asArray()) {
            a.push_back(toJson(e));
        }
        return a;
    }
    case Value::Type::Dictionary: {
        json o = json::object();
        for (const auto& [k, e] : *v.asDictionary()) {
            o[k] = toJson(e);
        }
        return o;
    }
    }
    return nullptr;
}

Value fromJson(const json& j) {
    switch (j.type()) {
    case json::value_t::boolean:
        return Value(j.get<bool>());
    case json::value_t::number_integer:
        return Value(static_cast<long long>(j.get<std::int64_t>()));
    case json::value_t::number_unsigned: {
        auto u = j.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(INT64_MAX)) {
            return Value(static_cast<double>(u));
        }
        return Value(static_cast<long long>(u));
    }
    case json::value_t::number_float:
        return Value(j.get<double>());
    case json::value_t::string:
        return Value(j.get<std::string>());
    case json::value_t::array: {
        Value::Array a;
        a.reserve(j.size());
        for (const auto& e : j) {
            a.push_back(fromJson(e));
        }
        return Value(std::move(a));
    }
    case json::value_t::object: {
        if (j.size() == 1) {
            auto it = j.find(kDataKey);
            if (it != j.end() && it->is_string()) {
                Value::Data data;
                if (base64Decode(it->get<std::string>(), data)) {
                    return Value(std::move(data));
                }
            }
        }
        Value::Dictionary d;
        for (auto it = j.begin(); it != j.end(); ++it) {
            d.emplace(it.key(), fromJson(it.value()));
        }
        return Value(std::move(d));
    }
    default:
        return Value();
    }
}

// Nesting deeper than this is not a settings file; refusing it keeps a
// hostile file from exhausting the stack of a reader inside the file manager.
constexpr std::size_t kMaxDepth = 200;

constexpr const char* kParseAction = "read the settings";

// Where and why text that is not JSON fails, as the parser says it ("at
// line 3, column 7: syntax error while parsing object ..."), so that a person
// can find the typo: a refusal reads "not valid JSON (at line ...)". Empty
// when the parser says nothing. Parsed once more, keeping
// nothing, only for a text already found wrong.
std::string syntaxErrorOf(std::string_view text) {
    try {
        const json nothing = json::parse(text.begin(), text.end(),
                                         [](int, json::parse_event_t, json&) { return false; });
    } catch (const json::parse_error& error) {
        std::string message = error.what();
        // "[json.exception.parse_error.101] parse error at line ..."
        const auto at = message.find(" at line ");
        return at == std::string::npos ? std::string() : " (" + message.substr(at + 1) + ")";
    } catch (const json::exception&) {
    }
    return {};
}

Expected<json> parseJson(std::string_view text) {
    std::size_t depth = 0;
    bool tooDeep = false;
    json::parser_callback_t guard = [&](int, json::parse_event_t event, json&) {
        if (event == json::parse_event_t::object_start ||
            event == json::parse_event_t::array_start) {
            if (++depth > kMaxDepth) {
                tooDeep = true;
            }
        } else if (event == json::parse_event_t::object_end ||
                   event == json::parse_event_t::array_end) {
            --depth;
        }
        return !tooDeep;
    };
    json out = json::parse(text.begin(), text.end(), guard, /*allow_exceptions=*/false);
    if (tooDeep) {
        return Error::withDetail(kParseAction, "", "nesting too deep");
    }
    if (out.is_discarded()) {
        return Error::withDetail(kParseAction, "", "not valid JSON" + syntaxErrorOf(text));
    }
    return out;
}

} // namespace

Expected<Value::Dictionary> parseSettingsText(std::string_view text) {
    Expected<json> j = parseJson(text);
    if (!j) {
        return j.error();
    }
    if (!j->is_object()) {
        return Error::withDetail(kParseAction, "", "not a JSON object");
    }
    Value v = fromJson(*j);
    if (auto* d = v.asDictionary()) {
        return std::move(*d);
    }
    // A lone {"$data": ...} object is data, not a settings dictionary.
    return Error::withDetail(kParseAction, "", "not a JSON object of settings");
}

Expected<std::string> serializeSettings(const Value::Dictionary& values) {
    try {
        return toJson(Value(values)).dump(2, ' ', false, json::error_handler_t::strict) + "\n";
    } catch (const json::type_error&) {
        return Error::withDetail("store the settings", "", N_("text that is not UTF-8"),
                                 std::errc::illegal_byte_sequence);
    }
}

Expected<Value> valueFromJsonText(std::string_view text) {
    Expected<json> j = parseJson(text);
    if (!j) {
        return j.error();
    }
    return fromJson(*j);
}

std::string valueToJsonText(const Value& value, bool pretty) {
    return toJson(value).dump(pretty ? 2 : -1, ' ', false, json::error_handler_t::replace);
}

Expected<Value::Dictionary> readSettingsFile(const std::string& path) {
    Expected<std::string> text = readFile(path);
    if (!text) {
        return Error(kParseAction, path, text.error().code());
    }
    Expected<Value::Dictionary> parsed = parseSettingsText(*text);
    if (!parsed) {
        return Error::withDetail(kParseAction, path, parsed.error().detail());
    }
    return parsed;
}

} // namespace quillet
