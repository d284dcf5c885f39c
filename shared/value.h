// A property-list value: the one data model shared by every program of the suite.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quillet {

class Value {
public:
    using Array = std::vector<Value>;
    using Dictionary = std::map<std::string, Value>;
    using Data = std::vector<std::uint8_t>;

    enum class Type { Null, Boolean, Integer, Real, String, Data, Array, Dictionary };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : v_(b) {}
    Value(int i) : v_(static_cast<std::int64_t>(i)) {}
    Value(long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(long long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(unsigned i) : v_(static_cast<std::int64_t>(i)) {}
    Value(unsigned long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(double d) : v_(d) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(Data d) : v_(std::move(d)) {}
    Value(Array a) : v_(std::move(a)) {}
    Value(Dictionary d) : v_(std::move(d)) {}

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isNumber() const {
        auto t = type();
        return t == Type::Boolean || t == Type::Integer || t == Type::Real;
    }
    bool isString() const { return type() == Type::String; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isData() const { return type() == Type::Data; }

    // Typed views: nothing when the value holds another type. Numbers convert
    // among themselves (a boolean is the number 0 or 1), as the platform's
    // number objects do.
    std::optional<bool> asBool() const;
    std::optional<std::int64_t> asInteger() const;
    std::optional<double> asReal() const;
    const std::string* asString() const { return std::get_if<std::string>(&v_); }
    const Data* asData() const { return std::get_if<Data>(&v_); }
    const Array* asArray() const { return std::get_if<Array>(&v_); }
    const Dictionary* asDictionary() const { return std::get_if<Dictionary>(&v_); }
    Array* asArray() { return std::get_if<Array>(&v_); }
    Dictionary* asDictionary() { return std::get_if<Dictionary>(&v_); }

    // Dictionary member lookup; nullptr when this is not a dictionary or lacks the key.
    const Value* find(const std::string& key) const;

    // Platform equality: numbers compare by value (true == 1, 2 == 2.0),
    // containers element-wise, other types only with their own kind.
    friend bool operator==(const Value& a, const Value& b);

private:
    std::variant<std::nullptr_t, bool, std::int64_t, double, std::string, Data, Array, Dictionary>
        v_{nullptr};
};

} // namespace quillet
