// The engine's channel for failures the user must see: a box with a fixed text
// and caption and an OK button. The shell installs the platform's box; without
// one the message is dropped.
#pragma once

using MessageBoxService = void (*)(const char* text, const char* caption);

void set_message_box_service(MessageBoxService service);
void show_message_box(const char* text, const char* caption);
