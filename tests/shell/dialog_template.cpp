#include "tests/shell/dialog_template.h"

#include <cctype>
#include <cstring>

namespace {

std::string ordinal_name(WORD ordinal) {
    std::string name = "#";
    name += std::to_string(ordinal);
    return name;
}

constexpr WORD ORDINAL_MARK = 0xFFFF;
constexpr WORD EXTENDED_SIGNATURE = 0xFFFF;

struct Reader {
    const BYTE* at;

    WORD word() {
        WORD value;
        memcpy(&value, at, sizeof(value));
        at += sizeof(value);
        return value;
    }
    DWORD dword() {
        DWORD value;
        memcpy(&value, at, sizeof(value));
        at += sizeof(value);
        return value;
    }
    short signed_word() { return static_cast<short>(word()); }

    // A UTF-16 string of ASCII characters (all of this program's texts).
    std::string string() {
        std::string text;
        while (WORD c = word()) text += static_cast<char>(c);
        return text;
    }

    // A string, or 0xFFFF and an ordinal.
    std::string string_or_ordinal(WORD& ordinal) {
        ordinal = 0;
        WORD first;
        memcpy(&first, at, sizeof(first));
        if (first == ORDINAL_MARK) {
            word();
            ordinal = word();
            return ordinal_name(ordinal);
        }
        return string();
    }

    void align_to_dword(const BYTE* base) {
        while ((at - base) % 4) ++at;
    }
};

// Class names are not case-sensitive; windres writes them in capitals.
std::string lower_case(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string predefined_class(WORD atom) {
    switch (atom) {
        case 0x80:
            return "button";
        case 0x81:
            return "edit";
        case 0x82:
            return "static";
        case 0x83:
            return "listbox";
        case 0x84:
            return "scrollbar";
        case 0x85:
            return "combobox";
        default:
            return ordinal_name(atom);
    }
}

}  // namespace

bool load_dialog_template(int id, DialogTemplate& dialog) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (!found) return false;
    const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    if (!base) return false;

    Reader reader{base};
    dialog.style = reader.dword();
    if (HIWORD(dialog.style) == EXTENDED_SIGNATURE) return false;
    reader.dword();  // extended style
    const WORD count = reader.word();
    dialog.x = reader.signed_word();
    dialog.y = reader.signed_word();
    dialog.width = reader.signed_word();
    dialog.height = reader.signed_word();
    WORD ordinal;
    reader.string_or_ordinal(ordinal);  // menu
    reader.string_or_ordinal(ordinal);  // class
    dialog.caption = reader.string();
    if (dialog.style & DS_SETFONT) {
        dialog.font_points = reader.word();
        dialog.font_name = reader.string();
    }

    for (WORD i = 0; i < count; ++i) {
        reader.align_to_dword(base);
        DialogControl control;
        control.style = reader.dword();
        reader.dword();  // extended style
        control.x = reader.signed_word();
        control.y = reader.signed_word();
        control.width = reader.signed_word();
        control.height = reader.signed_word();
        control.id = reader.word();
        const std::string class_name = reader.string_or_ordinal(ordinal);
        control.class_name = ordinal ? predefined_class(ordinal) : lower_case(class_name);
        control.text = reader.string_or_ordinal(ordinal);
        const WORD extra = reader.word();
        reader.at += extra;
        dialog.controls.push_back(control);
    }
    return true;
}
