// The custom shortcuts of the GSettings desktops: GNOME (and Budgie, Unity),
// Cinnamon and MATE. Each entry is a relocatable settings object under a
// folder of ours, "quillet-<index>"; GNOME and Cinnamon also list the entries
// in one key, which is read, changed in our elements only, and written back.
#pragma once

#include "shared/ports/shortcut_registry.h"

#include <memory>

namespace quillet::platform {

class GSettingsShortcutRegistry final : public ShortcutRegistry {
public:
    // `kind` is Gnome, Cinnamon or Mate. An error, and no abort, when the
    // desktop's schemas are not installed: GSettings ends the process when
    // asked for an unknown schema, so they are looked up first.
    [[nodiscard]] static Expected<std::unique_ptr<ShortcutRegistry>>
    open(ShortcutRegistryKind kind);

    ShortcutRegistryKind kind() const override;
    Expected<std::vector<RegistryEntry>> entries() override;
    Status apply(const RegistryChanges& changes) override;

    struct Layout;
    explicit GSettingsShortcutRegistry(const Layout& layout);

private:
    const Layout& layout_;
};

} // namespace quillet::platform
