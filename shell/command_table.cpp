#include "shell/command_table.h"

namespace {

constexpr int COMMAND_CAPACITY = 16;

struct CommandEntry {
    WORD id;
    CommandHandler handler;
};

// Constant-initialised, so registrations made by other files' static
// initialisers never find it unconstructed, whatever their order.
constinit CommandEntry command_entries[COMMAND_CAPACITY] = {};
constinit int command_count = 0;

CommandEntry* find_command(WORD id) {
    for (int i = 0; i < command_count; ++i) {
        if (command_entries[i].id == id) return &command_entries[i];
    }
    return nullptr;
}

}  // namespace

bool register_command(WORD id, CommandHandler handler) {
    if (CommandEntry* entry = find_command(id)) {
        entry->handler = handler;
        return true;
    }
    if (command_count == COMMAND_CAPACITY) return false;
    command_entries[command_count++] = {id, handler};
    return true;
}

bool run_command(WORD id, HWND main_window) {
    const CommandEntry* entry = find_command(id);
    if (!entry || !entry->handler) return false;
    entry->handler(main_window);
    return true;
}
