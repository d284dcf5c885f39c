// Xfce's custom shortcuts: the xfconf channel "xfce4-keyboard-shortcuts",
// one string property "/commands/custom/<binding>" per shortcut holding the
// command. Spoken to over the bus (org.xfce.Xfconf), as xfconf's own library
// does, so that no library is added.
#pragma once

#include "shared/ports/shortcut_registry.h"

#include <memory>

typedef struct _GDBusConnection GDBusConnection;

namespace quillet::platform {

class XfconfShortcutRegistry final : public ShortcutRegistry {
public:
    // An error when there is no session bus or no xfconf daemon to start.
    [[nodiscard]] static Expected<std::unique_ptr<ShortcutRegistry>> open();
    ~XfconfShortcutRegistry() override;

    ShortcutRegistryKind kind() const override { return ShortcutRegistryKind::Xfce; }
    Expected<std::vector<RegistryEntry>> entries() override;
    Status apply(const RegistryChanges& changes) override;

private:
    explicit XfconfShortcutRegistry(GDBusConnection* bus) : bus_(bus) {}
    GDBusConnection* bus_;
};

} // namespace quillet::platform
