// Login items kept in memory, counting the calls that change them.
#pragma once

#include "shared/ports/login_items.h"

#include <map>
#include <string>

namespace quillet::test {

class FakeLoginItems final : public LoginItems {
public:
    bool isRegistered(const std::string& id) const override {
        ++reads;
        auto it = items.find(id);
        return it != items.end();
    }
    Status setRegistered(const std::string& id, const std::string& executable,
                         bool enabled) override {
        ++writes;
        if (!succeed) {
            return Error("register", id, std::make_error_code(std::errc::permission_denied));
        }
        if (enabled) {
            items[id] = executable;
        } else {
            items.erase(id);
        }
        return {};
    }

    std::map<std::string, std::string> items; // id -> executable
    bool succeed = true;
    mutable int reads = 0;
    int writes = 0;
};

} // namespace quillet::test
