/* Times creation requests from one resident sender, the way the file
 * manager's module sends them: org.freedesktop.Application.Open on an
 * already open bus connection, then until the new file is on disk. No
 * process is started per request, so the figure is the receiver's.
 *
 *   open_timer BUS_NAME OBJECT_PATH FOLDER...
 *
 * Prints one line per folder: nanoseconds from the call to the file
 * FOLDER/untitled.txt existing. */
#include <gio/gio.h>

#include <stdio.h>
#include <sys/stat.h>
#include <time.h>

static gint64 now_ns(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (gint64)ts.tv_sec * 1000000000 + ts.tv_nsec;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: open_timer BUS_NAME OBJECT_PATH FOLDER...\n");
        return 2;
    }
    GError* error = NULL;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, NULL, &error);
    if (bus == NULL) {
        fprintf(stderr, "open_timer: %s\n", error->message);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        gchar* escaped = g_uri_escape_string(argv[i], "/", FALSE);
        gchar* uri = g_strconcat("quillet://", escaped, "?0", NULL);
        gchar* target = g_build_filename(argv[i], "untitled.txt", NULL);
        const gchar* uris[] = {uri, NULL};
        gint64 t0 = now_ns();
        GVariant* reply = g_dbus_connection_call_sync(
            bus, argv[1], argv[2], "org.freedesktop.Application", "Open",
            g_variant_new("(^asa{sv})", uris, NULL), NULL, G_DBUS_CALL_FLAGS_NONE, -1, NULL,
            &error);
        if (reply == NULL) {
            fprintf(stderr, "open_timer: %s\n", error->message);
            return 1;
        }
        g_variant_unref(reply);
        struct stat st;
        while (stat(target, &st) != 0) {
        }
        printf("%" G_GINT64_FORMAT "\n", now_ns() - t0);
        g_free(target);
        g_free(uri);
        g_free(escaped);
    }
    g_object_unref(bus);
    return 0;
}
