#include "xscreensaver/hack_window.h"

#include <X11/Xutil.h>

#include <cstdio>

#include "render/shown_text.h"
#include "xscreensaver/x_errors.h"

namespace {

std::string window_text(unsigned long id) {
    char text[24];
    std::snprintf(text, sizeof(text), "0x%lx", id);
    return text;
}

Window make_own_window(Display* display, HackWindow& window) {
    const int screen = DefaultScreen(display);
    const unsigned long black = BlackPixel(display, screen);
    // A black background: the server clears exposed parts to black before
    // the picture comes, so nothing else ever flashes.
    const Window made = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, OWN_WINDOW_SIDE,
                                            OWN_WINDOW_SIDE, 0, black, black);
    XStoreName(display, made, OWN_WINDOW_TITLE);
    XClassHint class_hint{const_cast<char*>("huesift"), const_cast<char*>("Huesift")};
    XSetClassHint(display, made, &class_hint);
    window.delete_message = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, made, &window.delete_message, 1);
    window.own = true;
    return made;
}

}  // namespace

bool choose_window(const HackOptions& options, const char* variable, WindowChoice& choice, std::string& error) {
    const bool variable_set = variable && *variable;
    switch (options.target) {
        case TARGET_WINDOW_ID:
            choice = {TARGET_WINDOW_ID, options.window_id};
            return true;
        case TARGET_OWN_WINDOW:
            choice = {TARGET_OWN_WINDOW, 0};
            return true;
        case TARGET_ROOT:
        case TARGET_UNSAID:
            break;
    }
    if (!variable_set) {
        choice = {options.target == TARGET_ROOT ? TARGET_ROOT : TARGET_OWN_WINDOW, 0};
        return true;
    }
    choice.target = TARGET_WINDOW_ID;
    if (parse_window_id(variable, choice.id)) return true;
    error = "XSCREENSAVER_WINDOW names no window: " + shown_text(variable);
    return false;
}

bool open_hack_window(Display* display, const WindowChoice& choice, HackWindow& window, std::string& error) {
    window = HackWindow{};
    window.display = display;
    switch (choice.target) {
        case TARGET_ROOT:
            window.window = DefaultRootWindow(display);
            break;
        case TARGET_WINDOW_ID:
            window.window = choice.id;
            break;
        default:
            window.window = make_own_window(display, window);
            break;
    }
    XWindowAttributes attributes;
    begin_x_trap(display);
    const Status known = XGetWindowAttributes(display, window.window, &attributes);
    if (end_x_trap(display) || !known) {
        error = "there is no window " + window_text(window.window);
        return false;
    }
    const Visual* visual = attributes.visual;
    if (!visual->red_mask || !visual->green_mask || !visual->blue_mask) {
        error = "window " + window_text(window.window) + " has no true-colour visual";
        return false;
    }
    window.visual = attributes.visual;
    window.depth = attributes.depth;
    window.width = attributes.width;
    window.height = attributes.height;
    // From here on the window may be destroyed under the hack's hands.
    watch_window(window.window);
    long events = ExposureMask | StructureNotifyMask;
    if (window.own) events |= KeyPressMask;
    XSelectInput(display, window.window, events);
    if (window.own) XMapWindow(display, window.window);
    return true;
}

bool follow_window_size(HackWindow& window, const XConfigureEvent& event) {
    if (event.window != window.window || (event.width == window.width && event.height == window.height)) return false;
    window.width = event.width;
    window.height = event.height;
    return true;
}
