// The Windows services the engine calls back into, gathered as the one
// platform record a front end installs: the repaint of a window and the wait
// for a worker that keeps that window alive.
#pragma once

#include <windows.h>

#include <thread>

#include "engine/platform.h"

// Waits until `worker` has ended while dispatching the messages that other
// threads send to this one, so a worker waiting for a paint can finish. The
// engine joins the thread afterwards. `context` is unused.
void wait_servicing_messages(void* context, std::thread& worker);

// The record for a window: `repaint` is called with `window` as its context,
// and the wait is the one above.
PlatformServices window_platform(HWND window, void (*repaint)(void* window));
