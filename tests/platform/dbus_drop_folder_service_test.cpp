// The drop-folder callback as Dolphin makes it: one call per drag, the
// folder as a path or a file URL, the object gone with the next drag.
#include "platform/linux/dbus_drop_folder_service.h"

#include "spin_main_context.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <vector>

namespace quillet::platform {
namespace {

using namespace std::chrono_literals;

bool call(const DBusDropFolderService::Address& address, const char* folder) {
    // A connection of its own, as another program has.
    gchar* busAddress = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    GDBusConnection* other = g_dbus_connection_new_for_address_sync(
        busAddress,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    g_free(busAddress);
    if (other == nullptr) {
        return false;
    }
    bool done = false, ok = false;
    struct State {
        bool* done;
        bool* ok;
    } state{&done, &ok};
    g_dbus_connection_call(
        other, address.busName.c_str(), address.objectPath.c_str(), "org.kde.ark.DndExtract",
        "extractSelectedFilesTo", g_variant_new("(s)", folder), nullptr, G_DBUS_CALL_FLAGS_NONE,
        5000, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* s = static_cast<State*>(data);
            GVariant* reply =
                g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
            *s->ok = reply != nullptr;
            if (reply != nullptr) {
                g_variant_unref(reply);
            }
            *s->done = true;
        },
        &state);
    test::spinUntil([&] { return done; }, 5000ms);
    g_object_unref(other);
    return ok;
}

TEST(DBusDropFolderServiceTest, OneDropPerDragAndOnlyForTheCurrentDrag) {
    DBusDropFolderService service;
    std::vector<std::string> folders;
    auto first = service.exportForDrag([&](const std::string& f) { folders.push_back(f); });
    ASSERT_TRUE(first);
    EXPECT_EQ(first->busName.front(), ':');

    EXPECT_TRUE(call(*first, "file:///home/me/My%20Dir"));
    EXPECT_TRUE(call(*first, "/home/me/again"));
    EXPECT_EQ(folders, std::vector<std::string>{"/home/me/My Dir"});

    auto second = service.exportForDrag([&](const std::string& f) { folders.push_back(f); });
    ASSERT_TRUE(second);
    EXPECT_NE(second->objectPath, first->objectPath);
    EXPECT_FALSE(call(*first, "/home/me/late")); // the old drag's object is gone
    EXPECT_TRUE(call(*second, "/home/me/Desktop"));
    EXPECT_EQ(folders, (std::vector<std::string>{"/home/me/My Dir", "/home/me/Desktop"}));
}

} // namespace
} // namespace quillet::platform
