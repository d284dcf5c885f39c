/* map_timer PROGRAM [ARGUMENT...]: starts the program and prints two figures,
 * the milliseconds from its start to the first top-level window it maps on
 * the X display, and its resident memory in kilobytes one second later. The
 * program is then ended with SIGTERM. Watching the root window's
 * substructure sees the map as the server does it, with no polling. */
#include <xcb/xcb.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double nowMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static long residentKb(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* status = fopen(path, "r");
    char line[256];
    long kb = -1;
    while (status != NULL && fgets(line, sizeof line, status) != NULL) {
        if (strncmp(line, "VmRSS:", 6) == 0) {
            kb = strtol(line + 6, NULL, 10);
        }
    }
    if (status != NULL) {
        fclose(status);
    }
    return kb;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: map_timer PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    xcb_connection_t* x = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(x)) {
        fprintf(stderr, "map_timer: no X display\n");
        return 1;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const double start = nowMs();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    double mapped = -1;
    xcb_generic_event_t* event;
    while (mapped < 0 && (event = xcb_wait_for_event(x)) != NULL) {
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
            !((xcb_map_notify_event_t*)event)->override_redirect) {
            mapped = nowMs() - start;
        }
        free(event);
    }
    sleep(1);
    printf("%.1f %ld\n", mapped, residentKb(pid));
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    xcb_disconnect(x);
    return mapped < 0;
}
