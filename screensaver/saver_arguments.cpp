#include "screensaver/saver_arguments.h"

#include <cctype>
#include <string_view>

namespace {

bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
    return text;
}

// Window handles are 32-bit numbers in 32-bit and 64-bit programs alike (a
// 64-bit program reads only the low half, so a larger number would name
// whatever window its low half names).
constexpr std::uint64_t LARGEST_WINDOW_HANDLE = 0xFFFFFFFFu;

// A window handle as Windows writes it: decimal digits only. Rejects empty
// text and values that do not fit a window handle.
bool parse_handle(std::string_view text, std::uintptr_t& value) {
    if (text.empty()) return false;
    std::uint64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + static_cast<std::uint64_t>(c - '0');
        if (result > LARGEST_WINDOW_HANDLE) return false;
    }
    value = static_cast<std::uintptr_t>(result);
    return true;
}

}  // namespace

SaverCommand parse_saver_arguments(const char* arguments) {
    std::string_view rest = trim(arguments ? arguments : "");
    if (rest.empty()) return {SAVER_SETTINGS, 0};
    if (rest.size() < 2 || (rest[0] != '/' && rest[0] != '-')) return {};

    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[1])));
    rest.remove_prefix(2);
    // The handle follows a colon or white space; a letter run on ("/save")
    // is some other switch.
    if (!rest.empty() && rest[0] != ':' && !is_space(rest[0])) return {};
    if (!rest.empty() && rest[0] == ':') rest.remove_prefix(1);
    rest = trim(rest);

    std::uintptr_t window = 0;
    const bool has_handle = parse_handle(rest, window);
    switch (letter) {
        case 's':
            // Windows may append a handle to /s as well; it is not needed.
            if (!rest.empty() && !has_handle) return {};
            return {SAVER_FULL_SCREEN, 0};
        case 'p':
            if (!has_handle || window == 0) return {};
            return {SAVER_PREVIEW, window};
        case 'c':
            if (!rest.empty() && !has_handle) return {};
            return {SAVER_SETTINGS, window};
        default:
            return {};
    }
}
