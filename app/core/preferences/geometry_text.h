// Points, sizes and rectangles of the preferences window, and the text form
// in which they are stored: "{x, y}" and "{{x, y}, {w, h}}".
#pragma once

#include <optional>
#include <string>

namespace quillet::app {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin;
    Size size;
    bool operator==(const Rect&) const = default;
};

std::string stringFromPoint(Point point);
std::string stringFromRect(const Rect& rect);
// Nothing when the text is not of that form.
std::optional<Point> pointFromString(const std::string& text);
std::optional<Rect> rectFromString(const std::string& text);

} // namespace quillet::app
