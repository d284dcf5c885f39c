// Login items as XDG autostart entries: <id>.desktop in
// $XDG_CONFIG_HOME/autostart, written with GLib's key-file writer.
//
// An item is registered when the entry the desktop would use (the user's, or
// else a system one from $XDG_CONFIG_DIRS) exists and is neither hidden nor
// switched off. Unregistering deletes the user's entry, and masks a system
// entry of the same name with a hidden user entry, since deleting the user's
// entry alone would let the system one run.
#pragma once

#include "shared/ports/login_items.h"

#include <string>

namespace quillet::platform {

class XdgLoginItems final : public LoginItems {
public:
    // `entryTemplate` is a desktop entry whose keys (name, comment, icon and
    // their translations) a written entry starts from; it may be missing.
    explicit XdgLoginItems(std::string entryTemplate = {});

    bool isRegistered(const std::string& id) const override;
    [[nodiscard]] Status setRegistered(const std::string& id, const std::string& executable,
                                       bool enabled) override;

    // $XDG_CONFIG_HOME/autostart/<id>.desktop
    static std::string userEntryPath(const std::string& id);

private:
    std::string entryTemplate_;
};

} // namespace quillet::platform
