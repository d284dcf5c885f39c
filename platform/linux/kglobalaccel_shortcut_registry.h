// KDE's global shortcuts: KGlobalAccel (org.kde.kglobalaccel), spoken to
// over the bus, so that no KDE library is linked. Our entries are the actions
// of one component, "org.quillet.QuilletHelper.desktop", shown in System
// Settings as "Quillet", one action per template named "quillet-<index>" and
// titled with the template's title.
//
// The component is backed by a desktop file of that name that KGlobalAccel
// finds in $XDG_DATA_HOME/kglobalaccel/ and that says DBusActivatable: a
// press then calls org.freedesktop.Application.ActivateAction("quillet-<index>")
// on the helper's bus name, and the bus starts the helper when it is not
// running. No program of ours needs to run for a press to work.
#pragma once

#include "shared/ports/shortcut_registry.h"

#include <memory>
#include <string>

typedef struct _GDBusConnection GDBusConnection;

namespace quillet::platform {

class KGlobalAccelShortcutRegistry final : public ShortcutRegistry {
public:
    // An error when there is no session bus or no KGlobalAccel to start.
    [[nodiscard]] static Expected<std::unique_ptr<ShortcutRegistry>> open();
    ~KGlobalAccelShortcutRegistry() override;

    ShortcutRegistryKind kind() const override { return ShortcutRegistryKind::Kde; }
    // Our component's actions; KGlobalAccel lists the others' per component,
    // which entriesUsing() asks for one key instead.
    Expected<std::vector<RegistryEntry>> entries() override;
    Status apply(const RegistryChanges& changes) override;
    // Whoever holds the key, as KGlobalAccel answers: another program's
    // action is a built-in entry named "<program>: <action>".
    Expected<std::vector<RegistryEntry>> entriesUsing(const std::string& binding) override;
    Status removeLeftovers() override;

    // The desktop file behind our component.
    static std::string desktopFilePath();

private:
    explicit KGlobalAccelShortcutRegistry(GDBusConnection* bus) : bus_(bus) {}
    GDBusConnection* bus_;
};

} // namespace quillet::platform
