#include "engine/message_box.h"

namespace {
MessageBoxService message_box_service = nullptr;
}

void set_message_box_service(MessageBoxService service) { message_box_service = service; }

void show_message_box(const char* text, const char* caption) {
    if (message_box_service) message_box_service(text, caption);
}
