#include "plist_json.h"

#include "fd_io.h"
#include "text_mark.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <vector>

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

// Builds the values straight from the parser's events, with no JSON tree
// in between: a store of thousands of templates is read in half the time.
class ValueBuilder {
public:
    bool null() { return put(Value()); }
    bool boolean(bool value) { return put(Value(value)); }
    bool number_integer(json::number_integer_t value) {
        return put(Value(static_cast<long long>(value)));
    }
    bool number_unsigned(json::number_unsigned_t value) {
        if (value > static_cast<std::uint64_t>(INT64_MAX)) {
            return put(Value(static_cast<double>(value)));
        }
        return put(Value(static_cast<long long>(value)));
    }
    bool number_float(json::number_float_t value, const json::string_t&) {
        return put(Value(value));
    }
    bool string(json::string_t& value) { return put(Value(std::move(value))); }
    bool binary(json::binary_t&) { return false; } // JSON text has none
    bool start_object(std::size_t) { return open(Value(Value::Dictionary())); }
    bool key(json::string_t& key) {
        key_ = std::move(key);
        return true;
    }
    bool end_object() {
        Value::Dictionary& object = *open_.back().container.asDictionary();
        if (object.size() == 1) {
            auto data = object.find(kDataKey);
            Value::Data bytes;
            if (data != object.end() && data->second.isString() &&
                base64Decode(*data->second.asString(), bytes)) {
                open_.back().container = Value(std::move(bytes));
            }
        }
        return close();
    }
    bool start_array(std::size_t) { return open(Value(Value::Array())); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
        return false;
    }

    bool tooDeep() const { return tooDeep_; }
    Value take() { return std::move(root_); }

private:
    // A container being filled, and the key it goes under in its parent.
    struct Open {
        Value container;
        std::string key;
    };

    bool open(Value container) {
        if (open_.size() == kMaxDepth) {
            tooDeep_ = true;
            return false;
        }
        open_.push_back({std::move(container), std::move(key_)});
        return true;
    }

    bool close() {
        Open done = std::move(open_.back());
        open_.pop_back();
        key_ = std::move(done.key);
        return put(std::move(done.container));
    }

    bool put(Value value) {
        if (open_.empty()) {
            root_ = std::move(value);
        } else if (Value::Array* array = open_.back().container.asArray()) {
            array->push_back(std::move(value));
        } else {
            // A repeated key keeps its last value, as JSON readers do.
            open_.back().container.asDictionary()->insert_or_assign(std::move(key_),
                                                                    std::move(value));
        }
        return true;
    }

    std::vector<Open> open_;
    std::string key_;
    Value root_;
    bool tooDeep_ = false;
};

Expected<Value> parseJson(std::string_view text) {
    ValueBuilder builder;
    const bool parsed = json::sax_parse(text.begin(), text.end(), &builder);
    if (builder.tooDeep()) {
        return Error::withDetail(kParseAction, "", "nesting too deep");
    }
    if (!parsed) {
        return Error::withDetail(kParseAction, "", "not valid JSON" + syntaxErrorOf(text));
    }
    return builder.take();
}

} // namespace

Expected<Value::Dictionary> parseSettingsText(std::string_view text) {
    Expected<Value> v = parseJson(text);
    if (!v) {
        return v.error();
    }
    if (auto* d = v->asDictionary()) {
        return std::move(*d);
    }
    // A lone {"$data": ...} object is data, not a settings dictionary.
    if (v->isData()) {
        return Error::withDetail(kParseAction, "", "not a JSON object of settings");
    }
    return Error::withDetail(kParseAction, "", "not a JSON object");
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
    return parseJson(text);
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
