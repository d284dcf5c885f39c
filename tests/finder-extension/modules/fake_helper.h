// Stands in for the helper on the bus: owns its name, serves the freedesktop
// Application Open call and records the URIs, creating nothing.
#pragma once

#include <gio/gio.h>

#include <string>
#include <vector>

namespace quillet::test {

class FakeHelper {
public:
    // Takes the helper's name on its own connection to the session bus.
    explicit FakeHelper(GDBusConnection* connection);
    ~FakeHelper();

    FakeHelper(const FakeHelper&) = delete;
    FakeHelper& operator=(const FakeHelper&) = delete;

    bool ownsName() const { return owned_; }
    const std::vector<std::string>& openedURIs() const { return uris_; }

private:
    static void onMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                             const gchar* method, GVariant* parameters,
                             GDBusMethodInvocation* invocation, gpointer self);

    GDBusConnection* connection_;
    GDBusNodeInfo* node_ = nullptr;
    guint registration_ = 0;
    bool owned_ = false;
    std::vector<std::string> uris_;
};

} // namespace quillet::test
