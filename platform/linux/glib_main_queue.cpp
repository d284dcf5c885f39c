#include "glib_main_queue.h"

#include <glib.h>

#include <algorithm>

namespace quillet::platform {

namespace {

gboolean runTask(gpointer data) {
    auto* task = static_cast<MainQueue::Task*>(data);
    try {
        if (*task) {
            (*task)();
        }
    } catch (...) {
        // An exception must not unwind through the main loop's C frames.
        g_warning("a main-queue task threw an exception");
    }
    return G_SOURCE_REMOVE;
}

void freeTask(gpointer data) {
    delete static_cast<MainQueue::Task*>(data);
}

} // namespace

// Sources attached with g_idle_add/g_timeout_add go to the global default
// context and may be added from any thread. g_main_context_invoke is not used
// because it runs the task at once when called on the main thread.
void GLibMainQueue::post(Task task) {
    g_idle_add_full(G_PRIORITY_DEFAULT, runTask, new Task(std::move(task)), freeTask);
}

void GLibMainQueue::postWhenIdle(Task task) {
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, runTask, new Task(std::move(task)), freeTask);
}

void GLibMainQueue::postAfter(std::chrono::milliseconds delay, Task task) {
    auto ms = static_cast<guint>(std::clamp<std::chrono::milliseconds::rep>(
        delay.count(), 0, static_cast<std::chrono::milliseconds::rep>(G_MAXUINT)));
    g_timeout_add_full(G_PRIORITY_DEFAULT, ms, runTask, new Task(std::move(task)), freeTask);
}

} // namespace quillet::platform
