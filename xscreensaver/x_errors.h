// X errors as the hack meets them. The window it draws in belongs to someone
// else (XScreenSaver, a settings dialog's preview, a test) and may be
// destroyed at any moment, so a request on it can fail after the fact: that
// ends the show quietly. A shared-memory attach may be refused by a server
// on another machine: that is tried under a trap. Any other error is a fault,
// reported in one line, and ends the show with a failure.
#pragma once

#include <X11/Xlib.h>

// Installs the error and connection-loss handlers.
void install_x_error_handlers();

// Errors on `window` saying it no longer exists count as its end from now on.
void watch_window(Window window);

bool watched_window_gone();
bool unexpected_x_error();

// Between these two, errors are noted, not reported: begin_x_trap first
// settles the requests made before it, and end_x_trap waits for the server's
// answer to every request made since and tells whether any failed.
void begin_x_trap(Display* display);
bool end_x_trap(Display* display);
