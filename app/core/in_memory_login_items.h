// Login items kept in memory: registrations last as long as the process.
// Stands in where no desktop's autostart folder is to be touched.
#pragma once

#include "shared/ports/login_items.h"

#include <set>
#include <string>

namespace quillet::app {

class InMemoryLoginItems final : public LoginItems {
public:
    bool isRegistered(const std::string& id) const override { return ids_.count(id) > 0; }
    [[nodiscard]] Status setRegistered(const std::string& id, const std::string&,
                                       bool enabled) override {
        if (enabled) {
            ids_.insert(id);
        } else {
            ids_.erase(id);
        }
        return {};
    }

private:
    std::set<std::string> ids_;
};

} // namespace quillet::app
