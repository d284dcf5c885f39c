// The request sender against stand-ins for the helper and the desktop's
// notification server, on the test's own session bus.
#include "bus_stand_in.h"
#include "platform/linux/dbus_creation_request_sender.h"
#include "support/spin_main_context.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using quillet::test::spinUntil;

namespace {

constexpr const char* kHelperName = "org.quillet.test.Helper";
constexpr const char* kHelperPath = "/org/quillet/test/Helper";

constexpr const char* kXml = R"(<node>
  <interface name="org.freedesktop.Application">
    <method name="Open"><arg type="as" direction="in"/><arg type="a{sv}" direction="in"/></method>
    <method name="ActivateAction">
      <arg type="s" direction="in"/><arg type="av" direction="in"/><arg type="a{sv}" direction="in"/>
    </method>
  </interface>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/>
      <arg type="u" direction="out"/>
    </method>
  </interface>
</node>)";

// A helper or notification server that records the calls of one interface.
// With `dropCalls`, it leaves the bus on the first call without answering,
// as a helper that ends under a request would.
class StandIn {
public:
    StandIn(const char* name, const char* path, const char* interface, bool dropCalls = false)
        : bus_(name, path, kXml, interface,
               [this, dropCalls](const gchar* method, GVariant* parameters,
                                 GDBusMethodInvocation* invocation) {
                   onCall(dropCalls, method, parameters, invocation);
               }) {}

    std::vector<std::string> calls; // first string argument of each call

private:
    void onCall(bool dropCalls, const gchar* method, GVariant* parameters,
                GDBusMethodInvocation* invocation) {
        if (dropCalls) {
            g_object_unref(invocation); // never answered: the connection goes
            g_dbus_connection_close(bus_.connection(), nullptr, nullptr, nullptr);
            return;
        }
        if (g_str_equal(method, "ActivateAction")) {
            // The action's name and its one int32 argument.
            const gchar* name = nullptr;
            GVariantIter* arguments = nullptr;
            g_variant_get(parameters, "(&sava{sv})", &name, &arguments, nullptr);
            std::string call = name;
            GVariant* argument = nullptr;
            while (g_variant_iter_next(arguments, "v", &argument)) {
                call += g_variant_is_of_type(argument, G_VARIANT_TYPE_INT32)
                            ? " " + std::to_string(g_variant_get_int32(argument))
                            : " ?";
                g_variant_unref(argument);
            }
            g_variant_iter_free(arguments);
            calls.push_back(call);
            g_dbus_method_invocation_return_value(invocation, nullptr);
            return;
        }
        GVariant* first =
            g_variant_get_child_value(parameters, g_str_equal(method, "Open") ? 0 : 3);
        if (g_variant_is_of_type(first, G_VARIANT_TYPE("as"))) {
            GVariant* uri = g_variant_get_child_value(first, 0);
            calls.emplace_back(g_variant_get_string(uri, nullptr));
            g_variant_unref(uri);
        } else {
            calls.emplace_back(g_variant_get_string(first, nullptr));
        }
        g_variant_unref(first);
        g_dbus_method_invocation_return_value(
            invocation, g_str_equal(method, "Notify") ? g_variant_new("(u)", 1u) : nullptr);
    }

    quillet::test::BusStandIn bus_;
};

struct Row {
    const char* name;
    bool firstHelperDrops; // a helper that leaves without answering
    bool secondHelper;     // one that takes the name over
    std::size_t served;    // calls the answering helper saw
    std::size_t notified;  // desktop notifications
};

} // namespace

TEST(DBusCreationRequestSenderTest, RetriesOnceWhatWasNotTakenThenTellsTheUser) {
    if (g_getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        GTEST_SKIP() << "no session bus; run under dbus-run-session";
    }
    const Row rows[] = {
        {"a helper answers", false, true, 1, 0},
        {"the helper ends under the call, the next one takes it", true, true, 1, 0},
        {"no helper at all", false, false, 0, 1},
        {"the helper ends and none follows", true, false, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StandIn notifications("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                              "org.freedesktop.Notifications");
        std::optional<StandIn> dropping;
        if (row.firstHelperDrops) {
            dropping.emplace(kHelperName, kHelperPath, "org.freedesktop.Application", true);
        }
        std::optional<StandIn> helper;
        if (row.secondHelper) {
            helper.emplace(kHelperName, kHelperPath, "org.freedesktop.Application");
        }
        {
            quillet::platform::DBusCreationRequestSender sender(
                kHelperName, kHelperPath, [](const std::string& text) { return "<" + text + ">"; });
            sender.send("quillet:///tmp/first?0");
            // A template's shortcut goes the same way, as the helper's action.
            sender.activateShortcut(2);
        }
        const std::size_t served = 2 * row.served, notified = 2 * row.notified;
        spinUntil(
            [&] {
                return (helper ? helper->calls.size() : 0) >= served &&
                       notifications.calls.size() >= notified;
            },
            5s);
        spinUntil([] { return false; }, 200ms); // nothing more arrives
        if (helper) {
            EXPECT_EQ(helper->calls.size(), served);
            // In order as sent; a retried pair may arrive either way round.
            auto calls = helper->calls;
            if (row.firstHelperDrops) {
                std::sort(calls.begin(), calls.end());
            }
            EXPECT_EQ(calls, (std::vector<std::string>{"quillet:///tmp/first?0", "shortcut 2"}));
        }
        ASSERT_EQ(notifications.calls.size(), notified);
        for (const auto& summary : notifications.calls) {
            EXPECT_EQ(summary, "<Unable to create file!>");
        }
    }
}
