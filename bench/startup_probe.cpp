// Starts a program on an X server and times it from outside, the way a person sees it:
// from the moment the process is started until its window of the given size is mapped
// and shows painted pixels, then reads the process's peak memory.
//
//   bench_startup_probe [--size WxH] [--settle-ms N] [--timeout-ms N] [--log FILE]
//                       -- PROGRAM [ARGS...]
//
// "Painted" means the window's client area, read back from the server, differs from
// what the screen showed at that place before the program was started in at least a
// quarter of its pixels. A window whose contents were never drawn (its background is
// none, as Qt makes it) shows what lay beneath, so it counts as blank until the program
// puts its first frame there. The images are read every millisecond from the moment the
// window is mapped.
//
// Prints one line:
//   RESULT map_ms=... paint_ms=... hwm_kb=... rss_kb=... cpu_ms=... threads=... libs=...
// map_ms and paint_ms count from just before fork(); hwm_kb (VmHWM), rss_kb (VmRSS),
// cpu_ms (utime + stime), threads and libs (distinct shared objects mapped) are read
// --settle-ms after the paint. Exit status 0 on success, 3 when the window did not
// appear in time, 4 when the program ended first, 2 on a usage or X error.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using XReply = std::unique_ptr<T, FreeDeleter>;

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB
};

// A ZPixmap image of `drawable`; empty when the server refuses (window not viewable).
Image grab(xcb_connection_t *c, xcb_drawable_t drawable, int x, int y, int w, int h)
{
    Image img;
    xcb_generic_error_t *error = nullptr;
    XReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, static_cast<int16_t>(x), static_cast<int16_t>(y),
                      static_cast<uint16_t>(w), static_cast<uint16_t>(h), ~0u),
        &error));
    std::free(error);
    if (!reply)
        return img;
    const int len = xcb_get_image_data_length(reply.get());
    if (len != w * h * 4)
        return img; // only 32 bits per pixel (depth 24 or 32) is handled
    img.width = w;
    img.height = h;
    img.pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    std::memcpy(img.pixels.data(), xcb_get_image_data(reply.get()), static_cast<std::size_t>(len));
    for (auto &p : img.pixels)
        p &= 0xffffffu;
    return img;
}

std::map<std::string, long> readStatus(pid_t pid)
{
    std::map<std::string, long> out;
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::istringstream rest(line.substr(colon + 1));
        long value = 0;
        if (rest >> value)
            out[line.substr(0, colon)] = value;
    }
    return out;
}

// utime + stime in milliseconds.
double readCpuMs(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = all.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(all.substr(close + 2));
    std::string field;
    std::vector<std::string> fields;
    while (rest >> field)
        fields.push_back(field);
    // fields[0] is field 3 (state); utime and stime are fields 14 and 15.
    if (fields.size() < 13)
        return -1;
    const double ticks = std::stod(fields[11]) + std::stod(fields[12]);
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

int countSharedObjects(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/maps");
    std::set<std::string> libs;
    std::string line;
    while (std::getline(in, line)) {
        const auto slash = line.find('/');
        if (slash == std::string::npos)
            continue;
        const std::string path = line.substr(slash);
        if (path.find(".so") != std::string::npos)
            libs.insert(path);
    }
    return static_cast<int>(libs.size());
}

void endChild(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

int usage()
{
    std::fprintf(stderr, "usage: bench_startup_probe [--size WxH] [--settle-ms N] [--timeout-ms N] [--log FILE] "
                         "-- PROGRAM [ARGS...]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    int wantW = 222, wantH = 138, settleMs = 500, timeoutMs = 20000;
    const char *logPath = "/dev/null";
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (i + 1 >= argc)
            return usage();
        if (a == "--size") {
            if (std::sscanf(argv[++i], "%dx%d", &wantW, &wantH) != 2)
                return usage();
        } else if (a == "--settle-ms") {
            settleMs = std::atoi(argv[++i]);
        } else if (a == "--timeout-ms") {
            timeoutMs = std::atoi(argv[++i]);
        } else if (a == "--log") {
            logPath = argv[++i];
        } else {
            return usage();
        }
    }
    if (i >= argc)
        return usage();
    char **command = argv + i;

    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench_startup_probe: cannot reach the X server (DISPLAY=%s)\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 2;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t root = screen->root;

    // The screen as it is before the program exists.
    const Image before = grab(c, root, 0, 0, screen->width_in_pixels, screen->height_in_pixels);
    if (before.pixels.empty()) {
        std::fprintf(stderr, "bench_startup_probe: cannot read the screen (needs 32 bits per pixel)\n");
        return 2;
    }
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
    xcb_flush(c);

    const double t0 = nowMs();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return 2;
    }
    if (pid == 0) {
        // The program must not outlive the probe, however the probe ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int fd = open(logPath, O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        execvp(command[0], command);
        _exit(127);
    }

    struct Tracked
    {
        int w = 0, h = 0;
    };
    std::map<xcb_window_t, Tracked> created; // top-level windows created since the start
    xcb_window_t target = 0;
    double mapMs = -1, paintMs = -1;
    int status = 0;

    pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (true) {
        const double elapsed = nowMs() - t0;
        if (elapsed > timeoutMs) {
            std::fprintf(stderr, "bench_startup_probe: no painted %dx%d window after %d ms\n", wantW, wantH, timeoutMs);
            endChild(pid);
            return 3;
        }
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "bench_startup_probe: %s ended (status %d) before its window was painted\n",
                         command[0], status);
            return 4;
        }
        poll(&pfd, 1, target ? 1 : 5);
        while (xcb_generic_event_t *e = xcb_poll_for_event(c)) {
            const int type = e->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                auto *ce = reinterpret_cast<xcb_create_notify_event_t *>(e);
                if (ce->parent == root) {
                    created[ce->window] = {ce->width, ce->height};
                    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                    xcb_change_window_attributes(c, ce->window, XCB_CW_EVENT_MASK, &mask);
                    // Mapped before the selection took effect? Then no MapNotify comes.
                    XReply<xcb_get_window_attributes_reply_t> attr(
                        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, ce->window), nullptr));
                    if (attr && attr->map_state != XCB_MAP_STATE_UNMAPPED && !target && ce->width == wantW &&
                        ce->height == wantH) {
                        target = ce->window;
                        mapMs = nowMs() - t0;
                    }
                }
            } else if (type == XCB_CONFIGURE_NOTIFY) {
                auto *ce = reinterpret_cast<xcb_configure_notify_event_t *>(e);
                if (auto it = created.find(ce->window); it != created.end())
                    it->second = {ce->width, ce->height};
            } else if (type == XCB_MAP_NOTIFY) {
                auto *me = reinterpret_cast<xcb_map_notify_event_t *>(e);
                if (auto it = created.find(me->window);
                    it != created.end() && !target && it->second.w == wantW && it->second.h == wantH) {
                    target = me->window;
                    mapMs = nowMs() - t0;
                }
            }
            std::free(e);
        }
        if (!target)
            continue;

        XReply<xcb_translate_coordinates_reply_t> pos(
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, target, root, 0, 0), nullptr));
        if (!pos)
            continue;
        const Image now = grab(c, target, 0, 0, wantW, wantH);
        if (now.pixels.empty())
            continue; // not viewable yet
        const double seen = nowMs() - t0;
        long differ = 0, compared = 0;
        for (int y = 0; y < wantH; ++y) {
            const int sy = pos->dst_y + y;
            if (sy < 0 || sy >= before.height)
                continue;
            for (int x = 0; x < wantW; ++x) {
                const int sx = pos->dst_x + x;
                if (sx < 0 || sx >= before.width)
                    continue;
                ++compared;
                if (now.pixels[static_cast<std::size_t>(y * wantW + x)] !=
                    before.pixels[static_cast<std::size_t>(sy * before.width + sx)])
                    ++differ;
            }
        }
        if (compared > 0 && differ * 4 >= compared) {
            paintMs = seen;
            break;
        }
    }

    // Let the program settle, then read what it holds.
    const double settleEnd = nowMs() + settleMs;
    while (nowMs() < settleEnd) {
        poll(&pfd, 1, 10);
        while (xcb_generic_event_t *e = xcb_poll_for_event(c))
            std::free(e);
    }
    const auto st = readStatus(pid);
    const double cpuMs = readCpuMs(pid);
    const int libs = countSharedObjects(pid);
    endChild(pid);
    xcb_disconnect(c);

    auto get = [&](const char *key) {
        const auto it = st.find(key);
        return it == st.end() ? -1L : it->second;
    };
    std::printf("RESULT map_ms=%.2f paint_ms=%.2f hwm_kb=%ld rss_kb=%ld cpu_ms=%.0f threads=%ld libs=%d\n", mapMs,
                paintMs, get("VmHWM"), get("VmRSS"), cpuMs, get("Threads"), libs);
    return 0;
}
