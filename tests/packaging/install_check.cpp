// install_check: what tests/packaging/installer_test.sh asks of Windows itself
// while it checks an installer under Wine. Each command prints what it saw
// and exits 0 when it saw what it looked for:
//   install_check version FILE                 the version resource's fields, one NAME=VALUE a line
//   install_check window PROGRAM               huesift.exe opens its window, and ends when asked
//   install_check run COMMAND_LINE             runs a command line as given (an installer's /D= takes
//                                              no quotes) and waits for it and every process it
//                                              started; exits with its code
//   install_check answer yes|no COMMAND_LINE   the same for an uninstaller, clicking through its
//                                              pages and answering its question with yes or no
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tools/driving/huesift_process.h"

namespace {

constexpr int EXIT_NOT_SEEN = 1;
constexpr int EXIT_BAD_USAGE = 2;
// A silent install under a freshly started Wine takes seconds; a stuck
// uninstaller page must still end the test.
constexpr ULONGLONG TREE_WAIT_BOUND_MS = 180000;

std::wstring wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), length);
    return result;
}

std::string narrow(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), length, nullptr, nullptr);
    return result;
}

// The fields Windows shows under Properties > Details, from the block the
// resource's first translation names.
int print_version(const std::string& file) {
    const std::wstring path = windows_path(file);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) {
        std::printf("no version resource in %s\n", file.c_str());
        return EXIT_NOT_SEEN;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) {
        std::printf("no fixed version in %s\n", file.c_str());
        return EXIT_NOT_SEEN;
    }
    std::printf("FixedFileVersion=%lu.%lu.%lu.%lu\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    std::printf("FixedProductVersion=%lu.%lu.%lu.%lu\n", HIWORD(fixed->dwProductVersionMS),
                LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                LOWORD(fixed->dwProductVersionLS));
    struct Translation {
        WORD language;
        WORD code_page;
    };
    Translation* translation = nullptr;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof(Translation)) {
        std::printf("no translation in %s\n", file.c_str());
        return EXIT_NOT_SEEN;
    }
    for (const wchar_t* name : {L"FileDescription", L"FileVersion", L"ProductName", L"ProductVersion", L"CompanyName",
                                L"LegalCopyright", L"OriginalFilename"}) {
        wchar_t query[128];
        swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language, translation->code_page, name);
        wchar_t* value = nullptr;
        const bool found = VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&value), &length) && value;
        std::printf("%s=%s\n", narrow(name).c_str(), found ? narrow(value).c_str() : "");
    }
    return 0;
}

int open_window(const std::string& program) {
    HuesiftProcess huesift;
    if (!start_huesift(program, huesift)) {
        std::printf("%s showed no main window within %d ms\n", program.c_str(), DRIVE_WAIT_BOUND_MS);
        close_process(huesift);
        return EXIT_NOT_SEEN;
    }
    char title[64] = "";
    GetWindowTextA(huesift.window, title, sizeof(title));
    PostMessageA(huesift.window, WM_CLOSE, 0, 0);
    DWORD exit_code = 1;
    const bool ended = wait_for_exit(huesift, exit_code);
    close_process(huesift);
    std::printf("window \"%s\" opened; %s\n", title,
                ended ? ("closed with exit code " + std::to_string(exit_code)).c_str() : "did not end when closed");
    return ended && exit_code == 0 ? 0 : EXIT_NOT_SEEN;
}

// The process and every process it started, as far as they still run: an
// NSIS uninstaller starts a copy of itself from the temporary folder and
// ends at once, and the copy does the work. Wine's desktop process
// (explorer.exe), started by whichever program shows the first window and
// living as long as Wine's server, is not the installer's work.
struct ProcessTree {
    std::set<DWORD> members;
    bool any_running = true;
};

void refresh(ProcessTree& tree) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    std::vector<PROCESSENTRY32W> running;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, L"explorer.exe") != 0) running.push_back(entry);
    CloseHandle(snapshot);
    // Children may be listed before their parents: gather until nothing new.
    for (bool grown = true; grown;) {
        grown = false;
        for (const PROCESSENTRY32W& process : running)
            if (tree.members.count(process.th32ParentProcessID) && tree.members.insert(process.th32ProcessID).second)
                grown = true;
    }
    tree.any_running = false;
    for (const PROCESSENTRY32W& process : running)
        if (tree.members.count(process.th32ProcessID)) tree.any_running = true;
}

DWORD process_of(HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner;
}

// Clicks through an uninstaller's pages: its question gets `answer` once;
// otherwise the main window's default button (Uninstall, then Close) is
// clicked each time it shows a new label and can be clicked.
struct Clicker {
    bool answer_yes = false;
    bool answered = false;
    std::string last_clicked;
};

struct WindowVisit {
    const ProcessTree& tree;
    Clicker& clicker;
};

BOOL CALLBACK click_window(HWND window, LPARAM context) {
    auto& visit = *reinterpret_cast<WindowVisit*>(context);
    char class_name[16] = "";
    GetClassNameA(window, class_name, sizeof(class_name));
    if (!visit.tree.members.count(process_of(window)) || !IsWindowVisible(window) ||
        std::string(class_name) != "#32770")
        return TRUE;
    Clicker& clicker = visit.clicker;
    if (GetDlgItem(window, IDYES) && GetDlgItem(window, IDNO)) {
        if (!clicker.answered) {
            // A message box's text is its static control 0xFFFF.
            char text[512] = "";
            GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
            for (char& c : text)
                if (c == '\n' || c == '\r') c = ' ';
            const int answer = clicker.answer_yes ? IDYES : IDNO;
            std::printf("asked \"%s\"; answering %s\n", text, clicker.answer_yes ? "yes" : "no");
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, answer)));
            clicker.answered = true;
        }
        return TRUE;
    }
    const HWND button = GetDlgItem(window, IDOK);
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button) || !IsWindowEnabled(window)) return TRUE;
    char label[64] = "";
    GetWindowTextA(button, label, sizeof(label));
    if (label == clicker.last_clicked) return TRUE;
    std::printf("clicking \"%s\"\n", label);
    clicker.last_clicked = label;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return TRUE;
}

// Runs `command_line` and waits for its process tree; with a clicker, clicks
// through its windows meanwhile.
int run_tree(const std::string& command_line, Clicker* clicker) {
    std::wstring line = wide(command_line);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::printf("could not start: %s (error %lu)\n", command_line.c_str(), GetLastError());
        return EXIT_NOT_SEEN;
    }
    ProcessTree tree;
    tree.members.insert(info.dwProcessId);
    const bool ended = wait_until(
        [&] {
            refresh(tree);
            if (clicker) {
                WindowVisit visit{tree, *clicker};
                EnumWindows(click_window, reinterpret_cast<LPARAM>(&visit));
            }
            return !tree.any_running;
        },
        static_cast<int>(TREE_WAIT_BOUND_MS));
    DWORD exit_code = EXIT_NOT_SEEN;
    GetExitCodeProcess(info.hProcess, &exit_code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!ended) {
        std::printf("%s and what it started still ran after %llu ms\n", command_line.c_str(), TREE_WAIT_BOUND_MS);
        return EXIT_NOT_SEEN;
    }
    if (clicker && !clicker->answered) std::printf("no question was asked\n");
    return static_cast<int>(exit_code);
}

int usage() {
    std::fprintf(stderr,
                 "usage: install_check version FILE | window PROGRAM | run COMMAND_LINE | "
                 "answer yes|no COMMAND_LINE\n");
    return EXIT_BAD_USAGE;
}

}  // namespace

int main(int argc, char** argv) {
    // Each line reaches the test's log as it is printed.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "version" && argc == 3) return print_version(argv[2]);
    if (command == "window" && argc == 3) return open_window(argv[2]);
    if (command == "run" && argc == 3) return run_tree(argv[2], nullptr);
    if (command == "answer" && argc == 4 && (std::string(argv[2]) == "yes" || std::string(argv[2]) == "no")) {
        Clicker clicker;
        clicker.answer_yes = std::string(argv[2]) == "yes";
        return run_tree(argv[3], &clicker);
    }
    return usage();
}
