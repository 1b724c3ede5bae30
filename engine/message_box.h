// The engine's channel for failures the user must see: a box with a fixed text
// and caption and an OK button. The shell installs the platform's box; without
// one the message is dropped.
#pragma once

#include "platform_hooks.h"

void show_message_box(const char* text, const char* caption);
