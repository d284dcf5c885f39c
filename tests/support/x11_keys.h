// Real key presses on the test's X display: another X client that holds a
// grab, and xdotool, whose presses go through the server like a keyboard's.
#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace quillet::test {

inline bool haveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

// An X client of its own that grabs one combination on the root window.
class OtherXClient {
public:
    OtherXClient() : connection_(xcb_connect(nullptr, nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        symbols_ = xcb_key_symbols_alloc(connection_);
    }
    ~OtherXClient() {
        xcb_key_symbols_free(symbols_);
        xcb_disconnect(connection_);
    }
    OtherXClient(const OtherXClient&) = delete;
    OtherXClient& operator=(const OtherXClient&) = delete;

    // Whether the grab was granted (it is not when someone else holds it).
    bool grab(std::uint32_t keysym, std::uint16_t modifiers) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
        bool ok = codes != nullptr && *codes != XCB_NO_SYMBOL;
        if (ok) {
            auto cookie = xcb_grab_key_checked(connection_, 1, root_, modifiers, *codes,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
                std::free(error);
                ok = false;
            }
        }
        std::free(codes);
        return ok;
    }
    void ungrabAll() {
        xcb_ungrab_key(connection_, XCB_GRAB_ANY, root_, XCB_MOD_MASK_ANY);
        xcb_flush(connection_);
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_key_symbols_t* symbols_ = nullptr;
};

// "xdotool key <keys>", without a target window: through the server.
inline int pressKeys(const std::string& keys) {
    return std::system(("xdotool key " + keys).c_str());
}

} // namespace quillet::test
