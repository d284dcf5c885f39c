#include "platform/linux/xcb_hot_key_center.h"

#include "platform/linux/runtime_library.h"
#include "shared/shortcut.h"

#include <glib.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <utility>
#include <vector>

namespace quillet::platform {

namespace {

constexpr xcb_keysym_t kNumLockKeysym = 0xff7f;

// libxcb and its key-symbol helper, opened with the first connection: a
// program starts without mapping them, and sessions whose desktop keeps the
// shortcuts never need them.
struct XcbFunctions {
    decltype(xcb_connect)* connect = nullptr;
    decltype(xcb_connection_has_error)* connectionHasError = nullptr;
    decltype(xcb_disconnect)* disconnect = nullptr;
    decltype(xcb_flush)* flush = nullptr;
    decltype(xcb_get_file_descriptor)* getFileDescriptor = nullptr;
    decltype(xcb_get_modifier_mapping)* getModifierMapping = nullptr;
    decltype(xcb_get_modifier_mapping_keycodes)* getModifierMappingKeycodes = nullptr;
    decltype(xcb_get_modifier_mapping_reply)* getModifierMappingReply = nullptr;
    decltype(xcb_get_setup)* getSetup = nullptr;
    decltype(xcb_grab_key_checked)* grabKeyChecked = nullptr;
    decltype(xcb_poll_for_event)* pollForEvent = nullptr;
    decltype(xcb_poll_for_queued_event)* pollForQueuedEvent = nullptr;
    decltype(xcb_request_check)* requestCheck = nullptr;
    decltype(xcb_screen_next)* screenNext = nullptr;
    decltype(xcb_setup_roots_iterator)* setupRootsIterator = nullptr;
    decltype(xcb_ungrab_key)* ungrabKey = nullptr;
    decltype(xcb_key_symbols_alloc)* keySymbolsAlloc = nullptr;
    decltype(xcb_key_symbols_free)* keySymbolsFree = nullptr;
    decltype(xcb_key_symbols_get_keycode)* keySymbolsGetKeycode = nullptr;
    decltype(xcb_refresh_keyboard_mapping)* refreshKeyboardMapping = nullptr;
    bool complete = false;
};

const XcbFunctions& xcb() {
    static const XcbFunctions functions = [] {
        XcbFunctions found;
        void* core = openRuntimeLibrary("libxcb.so.1");
        void* keysyms = openRuntimeLibrary("libxcb-keysyms.so.1");
        found.complete =
            bindFunction(core, "xcb_connect", found.connect) &&
            bindFunction(core, "xcb_connection_has_error", found.connectionHasError) &&
            bindFunction(core, "xcb_disconnect", found.disconnect) &&
            bindFunction(core, "xcb_flush", found.flush) &&
            bindFunction(core, "xcb_get_file_descriptor", found.getFileDescriptor) &&
            bindFunction(core, "xcb_get_modifier_mapping", found.getModifierMapping) &&
            bindFunction(core, "xcb_get_modifier_mapping_keycodes",
                         found.getModifierMappingKeycodes) &&
            bindFunction(core, "xcb_get_modifier_mapping_reply", found.getModifierMappingReply) &&
            bindFunction(core, "xcb_get_setup", found.getSetup) &&
            bindFunction(core, "xcb_grab_key_checked", found.grabKeyChecked) &&
            bindFunction(core, "xcb_poll_for_event", found.pollForEvent) &&
            bindFunction(core, "xcb_poll_for_queued_event", found.pollForQueuedEvent) &&
            bindFunction(core, "xcb_request_check", found.requestCheck) &&
            bindFunction(core, "xcb_screen_next", found.screenNext) &&
            bindFunction(core, "xcb_setup_roots_iterator", found.setupRootsIterator) &&
            bindFunction(core, "xcb_ungrab_key", found.ungrabKey) &&
            bindFunction(keysyms, "xcb_key_symbols_alloc", found.keySymbolsAlloc) &&
            bindFunction(keysyms, "xcb_key_symbols_free", found.keySymbolsFree) &&
            bindFunction(keysyms, "xcb_key_symbols_get_keycode", found.keySymbolsGetKeycode) &&
            bindFunction(keysyms, "xcb_refresh_keyboard_mapping", found.refreshKeyboardMapping);
        return found;
    }();
    return functions;
}

struct Entry {
    std::shared_ptr<HotKey> hotKey;
    Shortcut shortcut;
    std::vector<xcb_keycode_t> keycodes; // those grabbed
};

using GrabKey = std::pair<xcb_keycode_t, std::uint16_t>; // keycode, modifiers

} // namespace

struct XcbHotKeyCenter::Impl {
    MainQueue& mainQueue;
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_key_symbols_t* symbols = nullptr;
    std::uint16_t numLockMask = 0;
    std::vector<Entry> entries;
    // Several hot keys may share a combination; it is ungrabbed with the last.
    std::map<GrabKey, int> grabCounts;
    std::deque<xcb_generic_event_t*> queued;
    GSource* source = nullptr;

    explicit Impl(MainQueue& queue) : mainQueue(queue) {}

    ~Impl() {
        if (source != nullptr) {
            g_source_destroy(source);
            g_source_unref(source);
        }
        for (auto* event : queued) {
            std::free(event);
        }
        if (symbols != nullptr) {
            xcb().keySymbolsFree(symbols);
        }
        if (connection != nullptr) {
            xcb().disconnect(connection);
        }
    }

    std::vector<std::uint16_t> lockVariants() const {
        std::vector<std::uint16_t> variants{0, XCB_MOD_MASK_LOCK};
        if (numLockMask != 0) {
            variants.push_back(numLockMask);
            variants.push_back(static_cast<std::uint16_t>(numLockMask | XCB_MOD_MASK_LOCK));
        }
        return variants;
    }

    void updateNumLockMask() {
        numLockMask = 0;
        xcb_keycode_t* numLockCodes = xcb().keySymbolsGetKeycode(symbols, kNumLockKeysym);
        auto* reply = xcb().getModifierMappingReply(connection,
                                                    xcb().getModifierMapping(connection), nullptr);
        if (reply != nullptr && numLockCodes != nullptr) {
            const xcb_keycode_t* codes = xcb().getModifierMappingKeycodes(reply);
            const int perModifier = reply->keycodes_per_modifier;
            for (int modifierIndex = 0; modifierIndex < 8; ++modifierIndex) {
                for (int j = 0; j < perModifier; ++j) {
                    xcb_keycode_t code = codes[modifierIndex * perModifier + j];
                    for (xcb_keycode_t* n = numLockCodes; code != 0 && *n != XCB_NO_SYMBOL; ++n) {
                        if (*n == code) {
                            numLockMask = static_cast<std::uint16_t>(1u << modifierIndex);
                        }
                    }
                }
            }
        }
        std::free(reply);
        std::free(numLockCodes);
    }

    std::vector<xcb_keycode_t> keycodesFor(xcb_keysym_t keysym) const {
        std::vector<xcb_keycode_t> out;
        xcb_keycode_t* codes = xcb().keySymbolsGetKeycode(symbols, keysym);
        for (xcb_keycode_t* c = codes; c != nullptr && *c != XCB_NO_SYMBOL; ++c) {
            if (std::find(out.begin(), out.end(), *c) == out.end()) {
                out.push_back(*c);
            }
        }
        std::free(codes);
        return out;
    }

    // Grabs every keycode with every lock variant, checked; all or nothing.
    bool grab(const std::vector<xcb_keycode_t>& keycodes, std::uint16_t modifiers) {
        struct Pending {
            GrabKey key;
            std::vector<std::pair<std::uint16_t, xcb_void_cookie_t>> cookies;
        };
        std::vector<Pending> pending;
        for (xcb_keycode_t code : keycodes) {
            GrabKey key{code, modifiers};
            if (grabCounts[key] > 0) {
                continue; // already ours
            }
            Pending p{key, {}};
            for (std::uint16_t variant : lockVariants()) {
                auto mods = static_cast<std::uint16_t>(modifiers | variant);
                p.cookies.emplace_back(mods, xcb().grabKeyChecked(connection, 1, root, mods, code,
                                                                  XCB_GRAB_MODE_ASYNC,
                                                                  XCB_GRAB_MODE_ASYNC));
            }
            pending.push_back(std::move(p));
        }
        bool ok = true;
        std::vector<std::pair<xcb_keycode_t, std::uint16_t>> made;
        for (auto& p : pending) {
            for (auto& [mods, cookie] : p.cookies) {
                if (xcb_generic_error_t* error = xcb().requestCheck(connection, cookie)) {
                    ok = false; // BadAccess: another client holds it
                    std::free(error);
                } else {
                    made.emplace_back(p.key.first, mods);
                }
            }
        }
        if (!ok) {
            for (auto [code, mods] : made) {
                xcb().ungrabKey(connection, code, root, mods);
            }
            xcb().flush(connection);
            return false;
        }
        for (xcb_keycode_t code : keycodes) {
            ++grabCounts[{code, modifiers}];
        }
        return true;
    }

    void ungrab(const std::vector<xcb_keycode_t>& keycodes, std::uint16_t modifiers) {
        for (xcb_keycode_t code : keycodes) {
            auto it = grabCounts.find({code, modifiers});
            if (it == grabCounts.end() || --it->second > 0) {
                continue;
            }
            grabCounts.erase(it);
            for (std::uint16_t variant : lockVariants()) {
                xcb().ungrabKey(connection, code, root,
                                static_cast<std::uint16_t>(modifiers | variant));
            }
        }
        xcb().flush(connection);
    }

    // After a keyboard mapping change the same keysyms may sit on other keys,
    // and NumLock on another modifier: everything is grabbed afresh.
    void regrabAll() {
        for (auto& entry : entries) {
            ungrab(entry.keycodes, static_cast<std::uint16_t>(entry.shortcut.modifiers));
            entry.keycodes.clear();
        }
        updateNumLockMask();
        for (auto& entry : entries) {
            auto codes = keycodesFor(entry.shortcut.keysym);
            if (!codes.empty() &&
                grab(codes, static_cast<std::uint16_t>(entry.shortcut.modifiers))) {
                entry.keycodes = std::move(codes);
            } else {
                std::fprintf(stderr, "quillet: the shortcut %s is no longer available\n",
                             shortcutText(entry.shortcut).c_str());
            }
        }
    }

    void handle(xcb_generic_event_t* event) {
        switch (event->response_type & 0x7f) {
        case XCB_KEY_PRESS: {
            auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
            const std::uint32_t modifiers = press->state & modifier::kAll;
            for (const auto& entry : entries) {
                if (entry.shortcut.modifiers == modifiers &&
                    std::find(entry.keycodes.begin(), entry.keycodes.end(), press->detail) !=
                        entry.keycodes.end()) {
                    // Run outside the event dispatch: the action may open dialogs.
                    std::shared_ptr<HotKey> hotKey = entry.hotKey;
                    mainQueue.post([hotKey] {
                        if (hotKey->action) {
                            hotKey->action(*hotKey);
                        }
                    });
                    break;
                }
            }
            break;
        }
        case XCB_MAPPING_NOTIFY: {
            auto* mapping = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
            xcb().refreshKeyboardMapping(symbols, mapping);
            if (mapping->request != XCB_MAPPING_POINTER) {
                regrabAll();
            }
            break;
        }
        default:
            break;
        }
    }

    void takeQueuedEvents() {
        while (xcb_generic_event_t* event = xcb().pollForQueuedEvent(connection)) {
            queued.push_back(event);
        }
    }

    bool dispatch() {
        takeQueuedEvents();
        while (xcb_generic_event_t* event = xcb().pollForEvent(connection)) {
            queued.push_back(event);
        }
        while (!queued.empty()) {
            xcb_generic_event_t* event = queued.front();
            queued.pop_front();
            handle(event);
            std::free(event);
        }
        if (xcb().connectionHasError(connection) != 0) {
            std::fprintf(stderr, "quillet: the X connection for shortcuts was lost\n");
            return false;
        }
        return true;
    }
};

namespace {

// The connection's events in GLib's main loop. Replies read while checking
// a grab may have pulled events into xcb's queue without the socket being
// readable again, so the queue is looked at as well as the socket.
struct XcbSource {
    GSource base;
    XcbHotKeyCenter::Impl* impl;
    gpointer tag;
};

gboolean sourcePrepare(GSource* source, gint* timeout) {
    auto* self = reinterpret_cast<XcbSource*>(source);
    *timeout = -1;
    xcb().flush(self->impl->connection);
    self->impl->takeQueuedEvents();
    return !self->impl->queued.empty();
}

gboolean sourceCheck(GSource* source) {
    auto* self = reinterpret_cast<XcbSource*>(source);
    return (g_source_query_unix_fd(source, self->tag) & G_IO_IN) != 0 ||
           !self->impl->queued.empty();
}

gboolean sourceDispatch(GSource* source, GSourceFunc, gpointer) {
    auto* self = reinterpret_cast<XcbSource*>(source);
    return self->impl->dispatch() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

GSourceFuncs kSourceFuncs = {sourcePrepare, sourceCheck, sourceDispatch, nullptr, nullptr, nullptr};

} // namespace

Expected<std::unique_ptr<XcbHotKeyCenter>> XcbHotKeyCenter::connect(MainQueue& mainQueue) {
    if (!xcb().complete) {
        return Error::withDetail(
            "connect to the X display", "",
            "the X libraries (libxcb.so.1, libxcb-keysyms.so.1) cannot be loaded",
            std::errc::operation_not_supported);
    }
    auto impl = std::make_unique<Impl>(mainQueue);
    int screenNumber = 0;
    impl->connection = xcb().connect(nullptr, &screenNumber);
    if (xcb().connectionHasError(impl->connection) != 0) {
        return Error("connect to the X display", "",
                     std::make_error_code(std::errc::connection_refused));
    }
    xcb_screen_iterator_t screens = xcb().setupRootsIterator(xcb().getSetup(impl->connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb().screenNext(&screens);
    }
    if (screens.rem == 0) {
        return Error::withDetail("use the X display", "", "the X display has no screen",
                                 std::errc::no_such_device);
    }
    impl->root = screens.data->root;
    impl->symbols = xcb().keySymbolsAlloc(impl->connection);
    if (impl->symbols == nullptr) {
        return Error("read the keyboard mapping", "", std::make_error_code(std::errc::io_error));
    }
    impl->updateNumLockMask();

    GSource* source = g_source_new(&kSourceFuncs, sizeof(XcbSource));
    auto* xcbSource = reinterpret_cast<XcbSource*>(source);
    xcbSource->impl = impl.get();
    xcbSource->tag = g_source_add_unix_fd(source, xcb().getFileDescriptor(impl->connection),
                                          static_cast<GIOCondition>(G_IO_IN | G_IO_ERR | G_IO_HUP));
    g_source_set_can_recurse(source, TRUE);
    g_source_attach(source, nullptr);
    impl->source = source;
    return std::unique_ptr<XcbHotKeyCenter>(new XcbHotKeyCenter(std::move(impl)));
}

XcbHotKeyCenter::XcbHotKeyCenter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

XcbHotKeyCenter::~XcbHotKeyCenter() = default;

Status XcbHotKeyCenter::registerHotKey(std::shared_ptr<HotKey> hotKey) {
    constexpr const char* kAction = "register the shortcut";
    if (!hotKey) {
        return Error(kAction, "", std::make_error_code(std::errc::invalid_argument));
    }
    auto shortcut = Shortcut::fromDictionary(hotKey->keyCombo);
    if (!shortcut) {
        return Error::withDetail(kAction, hotKey->identifier, "not a shortcut");
    }
    auto codes = impl_->keycodesFor(shortcut->keysym);
    if (codes.empty()) {
        return Error::withDetail(kAction, hotKey->identifier, "no key types it");
    }
    if (!impl_->grab(codes, static_cast<std::uint16_t>(shortcut->modifiers))) {
        return Error::withDetail(kAction, hotKey->identifier, "another program holds it",
                                 std::errc::device_or_resource_busy);
    }
    impl_->entries.push_back({std::move(hotKey), *shortcut, std::move(codes)});
    return {};
}

void XcbHotKeyCenter::unregisterHotKey(const std::shared_ptr<HotKey>& hotKey) {
    auto& entries = impl_->entries;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const Entry& entry) { return entry.hotKey == hotKey; });
    if (it == entries.end()) {
        return;
    }
    impl_->ungrab(it->keycodes, static_cast<std::uint16_t>(it->shortcut.modifiers));
    entries.erase(it);
}

std::vector<std::shared_ptr<HotKey>> XcbHotKeyCenter::allHotKeys() const {
    std::vector<std::shared_ptr<HotKey>> out;
    for (const auto& entry : impl_->entries) {
        out.push_back(entry.hotKey);
    }
    return out;
}

} // namespace quillet::platform
