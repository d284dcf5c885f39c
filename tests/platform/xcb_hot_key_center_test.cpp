// The X11 hot-key centre on a real display, with real key presses.
#include "platform/linux/glib_main_queue.h"
#include "platform/linux/xcb_hot_key_center.h"
#include "shared/shortcut.h"
#include "spin_main_context.h"
#include "x11_keys.h"

#include <gtest/gtest.h>

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

std::shared_ptr<HotKey> hotKey(const std::string& identifier, std::uint32_t keysym,
                               std::vector<std::string>& pressed) {
    auto key = std::make_shared<HotKey>();
    key->identifier = identifier;
    key->keyCombo = Shortcut{keysym, modifier::kControl | modifier::kAlt}.toDictionary();
    key->action = [&pressed](const HotKey& k) { pressed.push_back(k.identifier); };
    return key;
}

TEST(XcbHotKeyCenterTest, GrabsPressesAndCombinationsAnotherClientHolds) {
    if (!haveDisplay()) {
        GTEST_SKIP() << "needs an X display";
    }
    platform::GLibMainQueue queue;
    auto connected = platform::XcbHotKeyCenter::connect(queue);
    ASSERT_TRUE(connected) << connected.error().logText();
    auto& center = *connected;
    std::vector<std::string> pressed;

    OtherXClient other;
    ASSERT_TRUE(other.grab('m', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    // Taken by the other client: refused, and nothing is left registered.
    EXPECT_FALSE(center->registerHotKey(hotKey("taken", 'm', pressed)));
    EXPECT_TRUE(center->allHotKeys().empty());

    auto j = hotKey("shortcut3", 'j', pressed);
    ASSERT_TRUE(center->registerHotKey(j));
    // Now ours: the other client is refused in turn.
    EXPECT_FALSE(other.grab('j', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));

    // Each line ends with a press of ours: once it has arrived, any press
    // before it that was wrongly taken would have arrived too.
    struct Case {
        const char* keys;
        std::size_t pressesAfter;
    };
    const Case cases[] = {
        {"ctrl+alt+j", 1},
        {"Caps_Lock ctrl+alt+j Caps_Lock", 2}, // the CapsLock variant
        {"ctrl+j ctrl+shift+alt+j ctrl+alt+j", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        ASSERT_EQ(pressKeys(c.keys), 0);
        spinUntil([&] { return pressed.size() >= c.pressesAfter; }, 10s);
        EXPECT_EQ(pressed.size(), c.pressesAfter);
    }
    EXPECT_EQ(pressed.front(), "shortcut3");

    center->unregisterHotKey(j);
    EXPECT_TRUE(center->allHotKeys().empty());
    EXPECT_TRUE(other.grab('j', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)); // released
    other.ungrabAll();
}

} // namespace
} // namespace quillet::test
