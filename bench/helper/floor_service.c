/* The least possible bus-activated application that serves the same request
 * as the helper: a GApplication that takes Open, copies the template named by
 * $QUILLET_BENCH_TEMPLATE into the request's folder as "untitled.txt", and
 * stays until it is killed. The end-to-end script measures the helper beside
 * it. Its id is given on the command line so that one service file serves. */
#include <gio/gio.h>

#include <string.h>

static void on_open(GApplication* app, GFile** files, gint count, const gchar* hint,
                    gpointer data) {
    (void)app;
    (void)hint;
    (void)data;
    const char* template_path = g_getenv("QUILLET_BENCH_TEMPLATE");
    for (gint i = 0; i < count && template_path != NULL; ++i) {
        gchar* uri = g_file_get_uri(files[i]);
        const char* start = strstr(uri, ":///");
        if (start != NULL) {
            gchar* folder = g_strndup(start + 3, strcspn(start + 3, "?"));
            gchar* path = g_uri_unescape_string(folder, NULL);
            gchar* target = g_build_filename(path, "untitled.txt", NULL);
            GFile* source = g_file_new_for_path(template_path);
            GFile* destination = g_file_new_for_path(target);
            g_file_copy(source, destination, G_FILE_COPY_NONE, NULL, NULL, NULL, NULL);
            g_object_unref(destination);
            g_object_unref(source);
            g_free(target);
            g_free(path);
            g_free(folder);
        }
        g_free(uri);
    }
}

static void on_activate(GApplication* app, gpointer data) {
    (void)app;
    (void)data;
}

int main(int argc, char** argv) {
    GApplication* app =
        g_application_new("org.quillet.BenchFloor", G_APPLICATION_HANDLES_OPEN);
    g_signal_connect(app, "open", G_CALLBACK(on_open), NULL);
    g_signal_connect(app, "activate", G_CALLBACK(on_activate), NULL);
    g_application_hold(app); /* ends when killed, as the script decides */
    int status = g_application_run(app, argc, argv);
    g_object_unref(app);
    return status;
}
