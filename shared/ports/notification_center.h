// Broadcast notifications between the suite's programs: a name and a string object.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quillet {

class NotificationCenter {
public:
    using Observer = std::function<void(const std::string& name, const std::string& object)>;
    using Token = std::uint64_t;

    virtual ~NotificationCenter() = default;

    // Delivered to every observer of the name in every program, this one included.
    virtual void post(const std::string& name, const std::string& object) = 0;

    // Observers run on the main queue of the observing program.
    virtual Token addObserver(const std::string& name, Observer observer) = 0;
    virtual void removeObserver(Token token) = 0;
};

} // namespace quillet
