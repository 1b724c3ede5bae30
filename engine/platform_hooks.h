// What the platform installs into the engine: the repaint operation the
// workers call, the wait that keeps the user-interface thread serving while a
// worker stops, the message box for failures the user must see, and the
// starter of worker threads. Each has a plain default, so the engine also
// runs (and is tested) with no platform at all.
#pragma once

#include <thread>

using WorkerEntry = void (*)();

// Repaints the image rectangle of the window and returns after the paint.
using RepaintOperation = void (*)();

// Waits until `worker` has ended while the calling (user-interface) thread
// keeps servicing the worker's repaint requests. Without one, a plain join.
using WorkerWait = void (*)(std::thread& worker);

// Shows `text` under `caption` with an OK button. Without one, nothing shows.
using MessageBoxService = void (*)(const char* text, const char* caption);

// Starts a thread running `entry` into `worker`; false when no thread could be
// started. Replaceable so that a test can make the start fail.
using ThreadStarter = bool (*)(std::thread& worker, WorkerEntry entry);

void set_repaint_hook(RepaintOperation operation);
void set_worker_wait(WorkerWait wait);  // nullptr restores the plain join
void set_message_box_service(MessageBoxService service);
void set_thread_starter(ThreadStarter starter);  // nullptr restores the default
