// Hands a creation request URL to the helper, which creates the file.
#pragma once

#include <string>

namespace quillet {

class CreationRequestSender {
public:
    virtual ~CreationRequestSender() = default;
    // Returns at once; the outcome is neither awaited nor reported. May start
    // the helper when it is not running.
    virtual void send(const std::string& url) = 0;
};

} // namespace quillet
