// The Windows services the engine calls back into, gathered as the one
// platform record a front end installs: the repaint of a window, the wait for
// a worker that keeps that window alive, and the message box.
#pragma once

#include <windows.h>

#include <thread>

#include "engine/platform.h"

// Waits until `worker` has ended while dispatching the messages that other
// threads send to this one, so a worker waiting for a paint can finish. The
// engine joins the thread afterwards. `context` is unused.
void wait_servicing_messages(void* context, std::thread& worker);

// A message box with no owner and an OK button. `context` is unused.
void show_platform_message_box(void* context, const char* text, const char* caption);

// The record for a window: `repaint` is called with `window` as its context,
// and the wait and the message box are the two above.
PlatformServices window_platform(HWND window, void (*repaint)(void* window));
