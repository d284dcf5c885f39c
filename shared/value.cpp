#include "value.h"

namespace quillet {

std::optional<bool> Value::asBool() const {
    if (auto r = asReal()) {
        return *r != 0.0;
    }
    return std::nullopt;
}

std::optional<std::int64_t> Value::asInteger() const {
    switch (type()) {
    case Type::Boolean:
        return std::get<bool>(v_) ? 1 : 0;
    case Type::Integer:
        return std::get<std::int64_t>(v_);
    case Type::Real: {
        double d = std::get<double>(v_);
        // Out-of-range reals saturate instead of invoking undefined behaviour.
        if (d != d) {
            return 0;
        }
        if (d >= 9.2233720368547758e18) {
            return INT64_MAX;
        }
        if (d <= -9.2233720368547758e18) {
            return INT64_MIN;
        }
        return static_cast<std::int64_t>(d);
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> Value::asReal() const {
    switch (type()) {
    case Type::Boolean:
        return std::get<bool>(v_) ? 1.0 : 0.0;
    case Type::Integer:
        return static_cast<double>(std::get<std::int64_t>(v_));
    case Type::Real:
        return std::get<double>(v_);
    default:
        return std::nullopt;
    }
}

const Value* Value::find(const std::string& key) const {
    const Dictionary* d = asDictionary();
    if (!d) {
        return nullptr;
    }
    auto it = d->find(key);
    return it == d->end() ? nullptr : &it->second;
}

bool operator==(const Value& a, const Value& b) {
    if (a.isNumber() && b.isNumber()) {
        // Compare integers exactly; only mixed comparisons go through double.
        if (a.type() != Value::Type::Real && b.type() != Value::Type::Real) {
            return *a.asInteger() == *b.asInteger();
        }
        return *a.asReal() == *b.asReal();
    }
    return a.v_ == b.v_;
}

} // namespace quillet
