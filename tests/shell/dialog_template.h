// Reads a dialog template from this program's resources, as the dialog
// manager will see it, so the tests can check what windres produced.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct DialogControl {
    DWORD style = 0;
    short x = 0, y = 0, width = 0, height = 0;
    WORD id = 0;
    std::string class_name;  // in lower case: "button", "static", ...
    std::string text;        // "#n" for a resource ordinal (an icon's id)
};

struct DialogTemplate {
    DWORD style = 0;
    short x = 0, y = 0, width = 0, height = 0;
    std::string caption;
    WORD font_points = 0;
    std::string font_name;
    std::vector<DialogControl> controls;
};

// False when the template is missing or is not a plain DLGTEMPLATE.
bool load_dialog_template(int id, DialogTemplate& dialog);
