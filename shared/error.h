// The one way a fallible call in Quillet says that it failed: an Error names
// what could not be done, the path or URL it concerns, and the system's
// reason. Calls that produce something return Expected<T>, which holds either
// the value or the Error; calls that produce nothing return Status.
//
// Both are [[nodiscard]]: a failure that nobody looks at is a failure reported
// as success. Toolkit code (Qt slots, GObject callbacks, D-Bus replies)
// converts at its edge, with userText() for what a person reads and logText()
// for the journal.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>

namespace quillet {

class [[nodiscard]] Error {
public:
    // `action` is a short verb phrase ("copy the template", "read the
    // settings"); `path` the file, folder or URL it was about (may be empty).
    Error(std::string action, std::string path, std::error_code reason)
        : action_(std::move(action)), path_(std::move(path)), reason_(reason) {}

    // A failure whose reason is errno as it stands now.
    static Error fromErrno(std::string action, std::string path) {
        return {std::move(action), std::move(path),
                std::error_code(errno, std::generic_category())};
    }
    // A failure that the system did not report: the reason is a text of our
    // own (a parser's message, a refused value), kept as the detail.
    static Error withDetail(std::string action, std::string path, std::string detail,
                            std::errc reason = std::errc::invalid_argument) {
        Error error(std::move(action), std::move(path), std::make_error_code(reason));
        error.detail_ = std::move(detail);
        return error;
    }

    const std::string& action() const { return action_; }
    const std::string& path() const { return path_; }
    std::error_code code() const { return reason_; }
    // Our own explanation, when the system's reason alone would mislead.
    const std::string& detail() const { return detail_; }

    // The reason as a person reads it: the detail when there is one, else
    // the system's message ("Permission denied").
    std::string reason() const { return detail_.empty() ? reason_.message() : detail_; }

    // "Permission denied (/home/me/ro)": the reason and the path it concerns.
    std::string userText() const {
        return path_.empty() ? reason() : reason() + " (" + path_ + ")";
    }
    // "cannot copy the template /a/b: Permission denied".
    std::string logText() const {
        std::string text = "cannot " + action_;
        if (!path_.empty()) {
            text += " ";
            text += path_;
        }
        text += ": ";
        text += reason();
        return text;
    }

    // The same failure described as a step of a larger one: the reason and
    // path stay, the action becomes the caller's.
    Error during(std::string action) const& {
        Error error = *this;
        error.action_ = std::move(action);
        return error;
    }

private:
    std::string action_;
    std::string path_;
    std::error_code reason_;
    std::string detail_;
};

// Either a value or the Error that kept it from being made.
template <class T> class [[nodiscard]] Expected {
    static_assert(!std::is_same_v<T, Error>, "an Expected<Error> says nothing");

public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Expected(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; calling these on a failure is a programming error.
    T& value() & { return std::get<0>(checked()); }
    const T& value() const& { return std::get<0>(checked()); }
    T&& value() && { return std::get<0>(std::move(checked())); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // The value, or `fallback` when there is none.
    template <class U> T valueOr(U&& fallback) const& {
        return ok() ? std::get<0>(state_) : static_cast<T>(std::forward<U>(fallback));
    }

    // The failure; calling this on a success is a programming error.
    const Error& error() const {
        if (ok()) {
            std::abort();
        }
        return std::get<1>(state_);
    }

private:
    std::variant<T, Error>& checked() {
        if (!ok()) {
            std::abort();
        }
        return state_;
    }
    const std::variant<T, Error>& checked() const {
        if (!ok()) {
            std::abort();
        }
        return state_;
    }

    std::variant<T, Error> state_;
};

// Success, or the Error of a call that produces nothing.
template <> class [[nodiscard]] Expected<void> {
public:
    Expected() = default;
    Expected(Error error) : error_(std::in_place, std::move(error)) {}

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }

    const Error& error() const {
        if (ok()) {
            std::abort();
        }
        return *error_;
    }

private:
    std::optional<Error> error_;
};

using Status = Expected<void>;

} // namespace quillet
