// Starts a program and watches the X server until the program's top-level window, at the full width of
// the screen (maximized), has been painted all over. Prints the time from just before the process was
// spawned to that moment, and the process's peak resident memory at that moment, then ends the program.
//
//   bench_first_frame_probe [--terminate] PROGRAM [ARGUMENTS...]
//   -> "first_frame_ms <ms>", "peak_rss_kib <KiB>" and "settled_peak_rss_kib <KiB>" on standard output;
//      exit status 0
// The settled peak is read half a second after the first frame, when what a program defers until after
// its first frame is done too.
// --terminate ends the program with SIGTERM and waits for it, instead of SIGKILL, right at the first frame:
// a profiler that the program runs under (valgrind --tool=callgrind) then writes what it counted up to the
// first frame. No settled peak then.
//
// Nothing is asked of the program: it is watched from outside. New windows are seen as they are created
// (SubstructureNotify on the root window); each gets a DAMAGE object at once, long before a window
// manager could map it. The window counts as the program's when its _NET_WM_PID is the child's pid.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace quibrel::bench {

namespace {

double nowMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// What is known of one window created since the program was started.
struct Watched {
    int width = 0;
    int height = 0;
    int pid = -1;                       // -1: not asked yet, 0: none
    std::vector<unsigned char> painted; // one byte per pixel while the window spans the screen
    long paintedCount = 0;
};

long peakRssKib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

class Probe {
public:
    bool connect();
    int run(char **command, bool terminate);

private:
    void watch(xcb_window_t window, int width, int height);
    int windowPid(xcb_window_t window);
    bool damaged(const xcb_damage_notify_event_t *event); // true once the program's frame is complete
    void resize(Watched &watched, int width, int height);

    xcb_connection_t *m_connection = nullptr;
    xcb_screen_t *m_screen = nullptr;
    uint8_t m_damageEvent = 0;
    xcb_atom_t m_pidAtom = XCB_NONE;
    pid_t m_child = 0;
    std::map<xcb_window_t, Watched> m_windows;
};

bool Probe::connect()
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection)) {
        std::fprintf(stderr, "first_frame_probe: cannot connect to the X server\n");
        return false;
    }
    m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(m_connection, &xcb_damage_id);
    if (!damage || !damage->present) {
        std::fprintf(stderr, "first_frame_probe: the X server has no DAMAGE extension\n");
        return false;
    }
    m_damageEvent = damage->first_event;
    free(xcb_damage_query_version_reply(m_connection, xcb_damage_query_version(m_connection, 1, 1), nullptr));
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, 11, "_NET_WM_PID"), nullptr);
    m_pidAtom = atom ? atom->atom : XCB_NONE;
    free(atom);
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_screen->root, XCB_CW_EVENT_MASK, &mask);
    // A round trip: the selection is in force before anything is started.
    free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    return true;
}

void Probe::watch(xcb_window_t window, int width, int height)
{
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_damage_create(m_connection, xcb_generate_id(m_connection), window,
                      XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    xcb_flush(m_connection);
    resize(m_windows[window], width, height);
}

int Probe::windowPid(xcb_window_t window)
{
    Watched &watched = m_windows[window];
    if (watched.pid >= 0)
        return watched.pid;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    // Damage comes only to a mapped window, and Qt sets the property before it maps: no property now
    // means none ever (the window manager's frames).
    watched.pid = 0;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4)
        watched.pid = int(*static_cast<uint32_t *>(xcb_get_property_value(reply)));
    free(reply);
    return watched.pid;
}

void Probe::resize(Watched &watched, int width, int height)
{
    if (watched.width == width && watched.height == height)
        return;
    watched.width = width;
    watched.height = height;
    watched.painted.clear();
    watched.paintedCount = 0;
}

bool Probe::damaged(const xcb_damage_notify_event_t *event)
{
    const auto found = m_windows.find(event->drawable);
    if (found == m_windows.end() || windowPid(event->drawable) != m_child)
        return false;
    Watched &watched = found->second;
    resize(watched, event->geometry.width, event->geometry.height);
    if (watched.width != m_screen->width_in_pixels)
        return false; // not maximized yet
    if (watched.painted.empty())
        watched.painted.assign(size_t(watched.width) * size_t(watched.height), 0);
    const xcb_rectangle_t &area = event->area;
    const int right = std::min<int>(area.x + area.width, watched.width);
    const int bottom = std::min<int>(area.y + area.height, watched.height);
    for (int y = std::max<int>(area.y, 0); y < bottom; ++y) {
        unsigned char *row = watched.painted.data() + size_t(y) * size_t(watched.width);
        for (int x = std::max<int>(area.x, 0); x < right; ++x) {
            if (!row[x]) {
                row[x] = 1;
                ++watched.paintedCount;
            }
        }
    }
    return watched.paintedCount == long(watched.width) * watched.height;
}

int Probe::run(char **command, bool terminate)
{
    const double started = nowMs();
    if (int error = posix_spawnp(&m_child, command[0], nullptr, nullptr, command, environ)) {
        std::fprintf(stderr, "first_frame_probe: cannot start %s: %s\n", command[0], std::strerror(error));
        return 1;
    }
    double painted = -1;
    const double deadline = started + (terminate ? 600000 : 30000); // a profiled program is slow
    const int fd = xcb_get_file_descriptor(m_connection);
    while (painted < 0 && nowMs() < deadline) {
        int status;
        if (waitpid(m_child, &status, WNOHANG) == m_child) {
            std::fprintf(stderr, "first_frame_probe: %s ended before its window was painted\n", command[0]);
            return 1;
        }
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto created = reinterpret_cast<xcb_create_notify_event_t *>(event);
                if (created->parent == m_screen->root)
                    watch(created->window, created->width, created->height);
            } else if (type == XCB_CONFIGURE_NOTIFY) {
                const auto configured = reinterpret_cast<xcb_configure_notify_event_t *>(event);
                const auto found = m_windows.find(configured->window);
                if (found != m_windows.end())
                    resize(found->second, configured->width, configured->height);
            } else if (type == m_damageEvent + XCB_DAMAGE_NOTIFY) {
                if (damaged(reinterpret_cast<xcb_damage_notify_event_t *>(event)) && painted < 0)
                    painted = nowMs();
            }
            free(event);
            if (painted >= 0)
                break;
        }
        if (painted >= 0)
            break;
        if (xcb_connection_has_error(m_connection)) {
            std::fprintf(stderr, "first_frame_probe: lost the X server\n");
            break;
        }
        pollfd watch{fd, POLLIN, 0};
        poll(&watch, 1, 5);
    }
    const long rss = peakRssKib(m_child);
    long settledRss = -1;
    if (painted >= 0 && !terminate) {
        usleep(500 * 1000);
        settledRss = peakRssKib(m_child);
    }
    kill(m_child, terminate ? SIGTERM : SIGKILL);
    int status;
    while (waitpid(m_child, &status, 0) < 0 && errno == EINTR) {
    }
    if (painted < 0) {
        std::fprintf(stderr, "first_frame_probe: no painted maximized window of %s in time\n", command[0]);
        return 1;
    }
    std::printf("first_frame_ms %.3f\npeak_rss_kib %ld\n", painted - started, rss);
    if (settledRss >= 0)
        std::printf("settled_peak_rss_kib %ld\n", settledRss);
    return 0;
}

} // namespace

} // namespace quibrel::bench

int main(int argc, char **argv)
{
    using namespace quibrel::bench;
    const bool terminate = argc > 1 && std::strcmp(argv[1], "--terminate") == 0;
    if (argc < 2 + terminate) {
        std::fprintf(stderr, "usage: %s [--terminate] PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    Probe probe;
    if (!probe.connect())
        return 1;
    return probe.run(argv + 1 + terminate, terminate);
}
