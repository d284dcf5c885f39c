// Programs coming and going on the session bus: the owners of well-known names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quillet {

class BusNameWatch {
public:
    using Token = std::uint64_t;
    using Callback = std::function<void(const std::string& name)>;

    virtual ~BusNameWatch() = default;
    // Calls back on the main queue each time a name in the namespace (the
    // name itself or one below it: "a.b" covers "a.b.c") gains or loses its
    // owner.
    virtual Token watchNamespace(const std::string& nameNamespace, Callback callback) = 0;
    virtual void unwatch(Token token) = 0;
};

} // namespace quillet
