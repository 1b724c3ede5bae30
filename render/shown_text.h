// User text as an error message shows it: on one line, every byte that could
// move the cursor, recolour the terminal or break the line written as an
// escape, and a long text cut short with its length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The most characters of a text a message shows before it cuts it short.
inline constexpr std::size_t SHOWN_TEXT_LIMIT = 60;

// `text` in single quotes: printable UTF-8 kept; tab, newline and carriage
// return as \t, \n and \r; a backslash as \\; other control bytes, DEL, the
// C1 controls, the bidirectional overrides and every byte of invalid UTF-8
// as \xNN. Past SHOWN_TEXT_LIMIT characters the rest becomes "..." and the
// whole text's length in bytes follows the closing quote.
std::string shown_text(std::string_view text);
