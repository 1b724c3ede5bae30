#include "shell/command_table.h"

#include "resources/resource_ids.h"
#include "shell/commands.h"
#include "shell/help_dialog.h"
#include "shell/options_dialog.h"

namespace {

struct CommandEntry {
    WORD id;
    CommandHandler handler;
};

constexpr CommandEntry COMMAND_TABLE[] = {
    {IDM_OPTIONS, on_options}, {IDM_START, on_start}, {IDM_TOGGLE_ROTATION, on_toggle_rotation},
    {IDM_EXIT, on_exit},       {IDM_HELP, on_help},
};

}  // namespace

bool run_command(WORD id, HWND main_window) {
    for (const CommandEntry& entry : COMMAND_TABLE) {
        if (entry.id != id) continue;
        entry.handler(main_window);
        return true;
    }
    return false;
}
