#include "journal_log.h"

#include <glib.h>

namespace quillet::platform {

namespace {

GLogWriterOutput writeToJournal(GLogLevelFlags level, const GLogField* fields, gsize count,
                                gpointer) {
    if (g_log_writer_journald(level, fields, count, nullptr) == G_LOG_WRITER_HANDLED) {
        return G_LOG_WRITER_HANDLED;
    }
    return g_log_writer_default(level, fields, count, nullptr);
}

} // namespace

void logToJournal() {
    g_log_set_writer_func(writeToJournal, nullptr, nullptr);
}

} // namespace quillet::platform
