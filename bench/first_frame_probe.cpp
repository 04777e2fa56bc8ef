// Starts a program and watches the X server until its top-level window, at the full width of the screen
// (maximized), has been painted over every pixel; then reads the program's peak resident memory and kills it.
//   bench_first_frame_probe SIDE PROGRAM [ARGUMENTS...]
//   -> "sample startup SIDE <ms from just before the spawn>" and "sample peak_rss SIDE <VmHWM in KiB>"
// New windows are seen as they are created (SubstructureNotify on the root window) and each gets a DAMAGE
// object at once, long before a window manager can map it. A window is the program's by its _NET_WM_PID.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

double nowMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

long peakRssKib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string field;
    long kib = -1;
    while (status >> field && field != "VmHWM:") {
    }
    return status >> kib ? kib : -1;
}

// A top-level window created since the program was started, by the damage done to it.
struct Watched {
    int pid = -1; // -1: not asked yet, 0: none
    int width = 0, height = 0;
    std::vector<unsigned char> painted; // one byte per pixel
    long paintedCount = 0;
};

xcb_connection_t *connection;
xcb_screen_t *screen;
xcb_atom_t pidAtom;
std::map<xcb_window_t, Watched> windows;

// True once the child's maximized window has been painted all over.
bool damaged(const xcb_damage_notify_event_t *event, pid_t child)
{
    Watched &watched = windows[event->drawable];
    if (watched.pid < 0) {
        // Damage comes only to a mapped window, and Qt sets the property before it maps: none now means none
        // ever (the window manager's frames).
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, event->drawable, pidAtom, XCB_ATOM_CARDINAL, 0, 1),
            nullptr);
        const bool found = reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4;
        watched.pid = found ? int(*static_cast<uint32_t *>(xcb_get_property_value(reply))) : 0;
        free(reply);
    }
    const xcb_rectangle_t &area = event->area, &geometry = event->geometry;
    if (watched.pid != child)
        return false;
    if (watched.width != geometry.width || watched.height != geometry.height) {
        watched.width = geometry.width; // anything painted before counts no longer
        watched.height = geometry.height;
        watched.painted.assign(size_t(watched.width) * size_t(watched.height), 0);
        watched.paintedCount = 0;
    }
    for (int y = std::max<int>(area.y, 0); y < std::min<int>(area.y + area.height, watched.height); ++y) {
        unsigned char *row = watched.painted.data() + size_t(y) * size_t(watched.width);
        for (int x = std::max<int>(area.x, 0); x < std::min<int>(area.x + area.width, watched.width); ++x) {
            watched.paintedCount += !row[x];
            row[x] = 1;
        }
    }
    return watched.width == screen->width_in_pixels &&
           watched.paintedCount == long(watched.width) * watched.height;
}

} // namespace

int main(int argc, char **argv)
{
    connection = xcb_connect(nullptr, nullptr);
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(connection, &xcb_damage_id);
    if (argc < 3 || xcb_connection_has_error(connection) || !damage || !damage->present) {
        std::fprintf(stderr, "usage: %s SIDE PROGRAM [ARGUMENTS...], on an X server with DAMAGE\n", argv[0]);
        return 2;
    }
    screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    free(xcb_damage_query_version_reply(connection, xcb_damage_query_version(connection, 1, 1), nullptr));
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 11, "_NET_WM_PID"), nullptr);
    pidAtom = atom ? atom->atom : XCB_NONE;
    free(atom);
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    // A round trip, so that the selection is in force before the program starts.
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    const double started = nowMs();
    pid_t child;
    if (posix_spawnp(&child, argv[2], nullptr, nullptr, argv + 2, environ) != 0) {
        std::fprintf(stderr, "first_frame_probe: cannot start %s\n", argv[2]);
        return 1;
    }
    double painted = -1;
    int status;
    while (painted < 0 && nowMs() < started + 30000 && waitpid(child, &status, WNOHANG) == 0 &&
           !xcb_connection_has_error(connection)) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto created = reinterpret_cast<xcb_create_notify_event_t *>(event);
                if (created->parent == screen->root)
                    xcb_damage_create(connection, xcb_generate_id(connection), created->window,
                                      XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                xcb_flush(connection);
            } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY && painted < 0 &&
                       damaged(reinterpret_cast<xcb_damage_notify_event_t *>(event), child)) {
                painted = nowMs();
            }
            free(event);
        }
        pollfd watch{xcb_get_file_descriptor(connection), POLLIN, 0};
        if (painted < 0)
            poll(&watch, 1, 5);
    }
    const long rss = peakRssKib(child);
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    if (painted < 0) {
        std::fprintf(stderr, "first_frame_probe: no painted maximized window of %s in time\n", argv[2]);
        return 1;
    }
    std::printf("sample startup %s %.3f\nsample peak_rss %s %ld\n", argv[1], painted - started, argv[1], rss);
    return 0;
}
