// Waiting in a test for what arrives through GLib's main loop (bus signals
// and replies, main-queue work, child watches).
#pragma once

#include <glib.h>

#include <chrono>

namespace quillet::test {

// Runs the default main context until the condition holds or the time is
// up; whether it holds in the end. The loop is not left blocked, so that
// conditions on the file system are seen too.
template <typename Condition>
bool spinUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        if (!g_main_context_iteration(nullptr, FALSE)) {
            g_usleep(1000);
        }
    }
    return condition();
}

} // namespace quillet::test
