#include "app/preferences/core/geometry_text.h"

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
    return "{" + number(point.x) + ", " + number(point.y) + "}";
}

std::string stringFromRect(const Rect& rect) {
    return "{" + stringFromPoint(rect.origin) + ", {" + number(rect.size.width) + ", " +
           number(rect.size.height) + "}}";
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
