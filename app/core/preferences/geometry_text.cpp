#include "app/core/preferences/geometry_text.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace quillet::app {

namespace {

// Whole numbers without a fraction, others with as many digits as they need.
std::string number(double value) {
    char text[64];
    if (std::nearbyint(value) == value && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        std::snprintf(text, sizeof text, "%.17g", value);
    }
    return text;
}

// The numbers of a text made of numbers, braces, commas and spaces; nothing
// when anything else is in it.
std::optional<std::vector<double>> numbers(const std::string& text) {
    std::vector<double> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '{' || c == '}' || c == ',' || c == ' ') {
            ++i;
            continue;
        }
        std::size_t used = 0;
        try {
            out.push_back(std::stod(text.substr(i), &used));
        } catch (...) {
            return std::nullopt;
        }
        if (!std::isfinite(out.back())) {
            return std::nullopt;
        }
        i += used;
    }
    return out;
}

} // namespace

std::string stringFromPoint(Point point) {
    // Built by appending: GCC 12 at -O3 warns about "literal" + temporary.
    return std::string("{")
        .append(number(point.x))
        .append(", ")
        .append(number(point.y))
        .append("}");
}

std::string stringFromRect(const Rect& rect) {
    return std::string("{")
        .append(stringFromPoint(rect.origin))
        .append(", {")
        .append(number(rect.size.width))
        .append(", ")
        .append(number(rect.size.height))
        .append("}}");
}

std::optional<Point> pointFromString(const std::string& text) {
    auto values = numbers(text);
    if (!values || values->size() != 2) {
        return std::nullopt;
    }
    return Point{(*values)[0], (*values)[1]};
}

std::optional<Rect> rectFromString(const std::string& text) {
    auto values = numbers(text);
    if (!values || values->size() != 4 || (*values)[2] < 0 || (*values)[3] < 0) {
        return std::nullopt;
    }
    return Rect{{(*values)[0], (*values)[1]}, {(*values)[2], (*values)[3]}};
}

} // namespace quillet::app
