// Prints the time (epoch seconds) of every bell rung on the X display, one line each: the
// desktop's bell, as QApplication::beep and the X11 bell request ring it. For the tests that
// listen to the alarm where no sound server answers.

#include <X11/XKBlib.h>

#include <chrono>
#include <cstdio>

int main()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor))
        return 2;
    XkbSelectEvents(display, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::puts("ready");
    for (;;) {
        XEvent e;
        XNextEvent(display, &e);
        if (e.type == event && reinterpret_cast<XkbAnyEvent *>(&e)->xkb_type == XkbBellNotify) {
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            std::printf("%.3f\n", std::chrono::duration<double>(now).count());
        }
    }
}
