#include "tools/driving/huesift_process.h"

namespace {

constexpr const char* MAIN_WINDOW_CLASS = "MYHUESIFT";

bool belongs_to(HWND window, DWORD process_id) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == process_id;
}

struct WindowSearch {
    DWORD process_id;
    std::string lines;
};

BOOL CALLBACK describe_window(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    if (!belongs_to(window, search.process_id) || !IsWindowVisible(window)) return TRUE;
    char class_name[64] = "";
    char caption[128] = "";
    GetClassNameA(window, class_name, sizeof(class_name));
    GetWindowTextA(window, caption, sizeof(caption));
    search.lines += std::string("  window ") + class_name + " \"" + caption + "\"" +
                    (IsWindowEnabled(window) ? "\n" : " (disabled)\n");
    return TRUE;
}

}  // namespace

// Under Wine the build hands over a Unix path; Wine's kernel32 turns it into
// a path Windows programs can start.
std::wstring windows_path(const std::string& path) {
    using UnixToDos = WCHAR* (*)(const char*);
    const auto unix_to_dos = reinterpret_cast<UnixToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (!path.empty() && path[0] == '/' && unix_to_dos) {
        if (WCHAR* converted = unix_to_dos(path.c_str())) {
            std::wstring result(converted);
            HeapFree(GetProcessHeap(), 0, converted);
            return result;
        }
    }
    std::wstring wide(path.size(), L'\0');
    for (std::size_t i = 0; i < path.size(); ++i) wide[i] = static_cast<unsigned char>(path[i]);
    return wide;
}

bool start_process(const std::string& program, const std::string& arguments, HuesiftProcess& process) {
    const std::wstring path = windows_path(program);
    std::wstring command_line = L"\"" + path + L"\"";
    if (!arguments.empty()) command_line += L" " + std::wstring(arguments.begin(), arguments.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    process.started_ms = GetTickCount64();
    return CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process.info) != 0;
}

bool start_huesift(const std::string& program, HuesiftProcess& process) {
    return start_process(program, "", process) &&
           wait_until([&] { return (process.window = find_window_of(process, MAIN_WINDOW_CLASS)) != nullptr; });
}

HWND find_window_of(const HuesiftProcess& process, const char* window_class, HWND parent) {
    HWND found = nullptr;
    while ((found = FindWindowExA(parent, found, window_class, nullptr))) {
        if (belongs_to(found, process.info.dwProcessId) && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

HWND find_dialog_of(const HuesiftProcess& process, const char* caption) {
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, "#32770", caption))) {
        if (belongs_to(found, process.info.dwProcessId) && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

bool wait_for_exit(const HuesiftProcess& process, DWORD& exit_code, DWORD bound_ms) {
    if (WaitForSingleObject(process.info.hProcess, bound_ms) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(process.info.hProcess, &exit_code) != 0;
}

bool still_running(const HuesiftProcess& process) {
    return WaitForSingleObject(process.info.hProcess, 0) == WAIT_TIMEOUT;
}

void close_process(HuesiftProcess& process) {
    if (!process.info.hProcess) return;
    if (still_running(process)) {
        TerminateProcess(process.info.hProcess, 1);
        WaitForSingleObject(process.info.hProcess, DRIVE_WAIT_BOUND_MS);
    }
    CloseHandle(process.info.hThread);
    CloseHandle(process.info.hProcess);
    process = HuesiftProcess{};
}

std::string describe_windows_of(const HuesiftProcess& process) {
    WindowSearch search{process.info.dwProcessId, {}};
    EnumWindows(describe_window, reinterpret_cast<LPARAM>(&search));
    return search.lines.empty() ? "  no visible window\n" : search.lines;
}
