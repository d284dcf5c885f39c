#include "desktop_exec.h"

namespace quillet {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

} // namespace

std::string desktopExecArgument(std::string_view argument) {
    const bool quote =
        argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    std::string out;
    if (quote) {
        out += '"';
    }
    for (char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            out += '\\';
        }
        if (c == '%') {
            out += '%';
        }
        out += c;
    }
    if (quote) {
        out += '"';
    }
    return out;
}

std::string desktopExecLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const auto& argument : arguments) {
        if (!line.empty()) {
            line += ' ';
        }
        line += desktopExecArgument(argument);
    }
    return line;
}

std::string desktopExecForProgram(std::string_view program) {
    if (program.find('%') == std::string_view::npos) {
        return desktopExecArgument(program);
    }
    return desktopExecLine({"/bin/sh", "-c", "exec \"$0\"", std::string(program)});
}

std::string shellQuoted(std::string_view argument) {
    std::string out = "'";
    for (char c : argument) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    out += '\'';
    return out;
}

} // namespace quillet
