// The platform's services that the engine calls back into: the wait for a
// worker that keeps the window alive, and the message box.
#pragma once

#include <thread>

// Waits until `worker` has ended while dispatching the messages that other
// threads send to this one, so a worker waiting for a paint can finish. The
// engine joins the thread afterwards.
void wait_servicing_messages(std::thread& worker);

// A message box with no owner and an OK button.
void show_platform_message_box(const char* text, const char* caption);

// Installs the two services above into the engine.
void install_platform_services();
