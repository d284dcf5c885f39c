// Showing a new item in the file manager the request came from, against
// stand-ins for the file managers' bus services on the test's own bus.
#include "bus_stand_in.h"
#include "platform/linux/gio_workspace.h"
#include "support/spin_main_context.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using quillet::test::spinUntil;

namespace {

constexpr const char* kXml = R"(<node>
  <interface name="org.freedesktop.FileManager1">
    <method name="ShowItems"><arg type="as" direction="in"/><arg type="s" direction="in"/></method>
  </interface>
  <interface name="org.xfce.FileManager">
    <method name="DisplayFolderAndSelect">
      <arg type="s" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/>
    </method>
  </interface>
</node>)";

// A file manager's service: records each call as "<method> <arguments as
// GVariant text>".
class FileManagerStandIn {
public:
    FileManagerStandIn(const char* name, const char* path, const char* interface)
        : bus_(
              name, path, kXml, interface,
              [this](const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation) {
                  gchar* text = g_variant_print(parameters, FALSE);
                  calls.push_back(std::string(method) + " " + text);
                  g_free(text);
                  g_dbus_method_invocation_return_value(invocation, nullptr);
              }) {}

    std::vector<std::string> calls;

private:
    quillet::test::BusStandIn bus_;
};

TEST(GioWorkspaceRevealTest, TheRequestingFileManagerShowsTheItemElseTheDesktops) {
    const std::string item = "/srv/work/notes.txt";
    const std::string showItems = "ShowItems (['file:///srv/work/notes.txt'], '')";
    const struct {
        const char* fileManager;
        bool ownServiceRuns; // the requesting file manager's service is on the bus
        const char* ownCall;
        const char* desktopCall;
    } cases[] = {
        {"thunar", true, "DisplayFolderAndSelect ('file:///srv/work', 'notes.txt', '', '')",
         nullptr},
        {"nautilus", true, showItems.c_str(), nullptr},
        {"nemo", true, showItems.c_str(), nullptr},
        {"caja", true, showItems.c_str(), nullptr},
        // Not running (or another build that serves no such object): the
        // desktop's file manager instead.
        {"thunar", false, nullptr, showItems.c_str()},
        {"caja", false, nullptr, showItems.c_str()},
        // Requests that do not say, and file managers with no service of
        // their own.
        {"", false, nullptr, showItems.c_str()},
        {"dolphin", false, nullptr, showItems.c_str()},
    };
    const struct {
        const char* fileManager;
        const char* name;
        const char* path;
        const char* interface;
    } services[] = {
        {"thunar", "org.xfce.FileManager", "/org/xfce/FileManager", "org.xfce.FileManager"},
        {"nautilus", "org.gnome.Nautilus", "/org/freedesktop/FileManager1",
         "org.freedesktop.FileManager1"},
        {"nemo", "org.Nemo", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1"},
        {"caja", "org.mate.Caja", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1"},
    };
    quillet::platform::GioWorkspace workspace;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fileManager) + (c.ownServiceRuns ? " running" : " absent"));
        FileManagerStandIn desktop("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                   "org.freedesktop.FileManager1");
        std::unique_ptr<FileManagerStandIn> own;
        for (const auto& service : services) {
            if (c.ownServiceRuns && std::string(service.fileManager) == c.fileManager) {
                own = std::make_unique<FileManagerStandIn>(service.name, service.path,
                                                           service.interface);
            }
        }
        ASSERT_TRUE(workspace.revealItems({item}, c.fileManager));
        auto* answering = c.ownCall != nullptr ? own.get() : &desktop;
        ASSERT_NE(answering, nullptr);
        ASSERT_TRUE(spinUntil([&] { return !answering->calls.empty(); }, 5s));
        EXPECT_EQ(answering->calls,
                  (std::vector<std::string>{c.ownCall != nullptr ? c.ownCall : c.desktopCall}));
        if (c.ownCall != nullptr) {
            // Asked once, and nobody else.
            spinUntil([] { return false; }, 100ms);
            EXPECT_TRUE(desktop.calls.empty());
        }
    }
}

} // namespace
