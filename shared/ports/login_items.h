// Programs started when the user logs in.
#pragma once

#include "shared/error.h"

#include <string>

namespace quillet {

class LoginItems {
public:
    virtual ~LoginItems() = default;
    // Whether the program with this id starts at the next login.
    virtual bool isRegistered(const std::string& id) const = 0;
    // Makes the program start (true) or stop starting (false) at login; the
    // executable is what the login entry runs. An error when that could not
    // be done.
    [[nodiscard]] virtual Status setRegistered(const std::string& id, const std::string& executable,
                                               bool enabled) = 0;
};

} // namespace quillet
