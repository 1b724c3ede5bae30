#include "xscreensaver/x_errors.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Xlib's handlers take no context, so what they learn is kept here.
struct XErrorState {
    Window watched = None;
    bool gone = false;
    bool unexpected = false;
    bool trapping = false;
    bool trapped = false;
};

XErrorState errors;

int on_x_error(Display* display, XErrorEvent* event) {
    if (errors.trapping) {
        errors.trapped = true;
        return 0;
    }
    const bool no_such_window = event->error_code == BadWindow || event->error_code == BadDrawable;
    if (no_such_window && event->resourceid == errors.watched) {
        errors.gone = true;
        return 0;
    }
    char text[160];
    XGetErrorText(display, event->error_code, text, sizeof(text));
    // Only the first: one fault often brings a train of others.
    if (!errors.unexpected)
        std::fprintf(stderr, "huesift: X error: %s (request %d.%d on 0x%lx)\n", text, event->request_code,
                     event->minor_code, event->resourceid);
    errors.unexpected = true;
    return 0;
}

// Xlib ends the process after this handler in any case.
int on_x_connection_lost(Display*) {
    std::fputs("huesift: the connection to the X server was lost\n", stderr);
    std::_Exit(1);
}

}  // namespace

void install_x_error_handlers() {
    errors = XErrorState{};
    XSetErrorHandler(on_x_error);
    XSetIOErrorHandler(on_x_connection_lost);
}

void watch_window(Window window) { errors.watched = window; }

bool watched_window_gone() { return errors.gone; }

bool unexpected_x_error() { return errors.unexpected; }

void begin_x_trap(Display* display) {
    XSync(display, False);
    errors.trapping = true;
    errors.trapped = false;
}

bool end_x_trap(Display* display) {
    XSync(display, False);
    errors.trapping = false;
    return errors.trapped;
}
