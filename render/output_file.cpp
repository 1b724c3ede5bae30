#include "render/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Added to a target's name for the file it is written under.
constexpr const char* TEMPORARY_SUFFIX = ".tmp-XXXXXX";
constexpr std::size_t TEMPORARY_SUFFIX_LENGTH = 11;

std::string folder_of(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string reason(int error_number) { return std::strerror(error_number); }

// What --force may replace: the name itself, never anything behind it.
bool replaceable(mode_t mode) { return S_ISREG(mode) || S_ISLNK(mode); }

const char* kind_of(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// Empty when the temporary name beside `path` fits the folder's file system.
std::string check_name_length(const std::string& path, const std::string& folder) {
    const long longest_name = pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t name_room = longest_name > 0 ? static_cast<std::size_t>(longest_name) : NAME_MAX;
    if (name_of(path).size() + TEMPORARY_SUFFIX_LENGTH > name_room)
        return "cannot write " + path + ": its name is too long (at most " +
               std::to_string(name_room - TEMPORARY_SUFFIX_LENGTH) + " bytes here)";
    if (path.size() + TEMPORARY_SUFFIX_LENGTH >= PATH_MAX) return "cannot write " + path + ": its path is too long";
    return {};
}

// The temporary file being written, for the interrupt handler; only one
// output is written at a time. A plain buffer, since a handler may only read
// memory that is not being changed under it.
constexpr std::size_t NAME_ROOM = 4096;
constexpr int INTERRUPTS[] = {SIGINT, SIGTERM, SIGHUP};
char interrupted_file[NAME_ROOM];
volatile std::sig_atomic_t interrupted_file_set = 0;

void note_temporary(const std::string& name) {
    interrupted_file_set = 0;
    if (name.size() >= NAME_ROOM) return;
    std::memcpy(interrupted_file, name.c_str(), name.size() + 1);
    interrupted_file_set = 1;
}

void on_interrupt(int signal_number) {
    if (interrupted_file_set) unlink(interrupted_file);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

// rename() that fails with EEXIST instead of replacing, where the file system
// can do that in one step; elsewhere a look just before the rename.
int rename_without_replacing(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    struct stat existing;
    if (lstat(to, &existing) == 0) {
        errno = EEXIST;
        return -1;
    }
    return std::rename(from, to);
}

}  // namespace

std::string check_output_target(const std::string& path, bool force) {
    const std::string folder = folder_of(path);
    struct stat folder_stat;
    if (stat(folder.c_str(), &folder_stat) != 0 || !S_ISDIR(folder_stat.st_mode))
        return "cannot write " + path + ": folder " + folder + " does not exist";
    if (access(folder.c_str(), W_OK | X_OK) != 0) return "cannot write " + path + ": " + reason(errno);
    if (std::string too_long = check_name_length(path, folder); !too_long.empty()) return too_long;

    struct stat entry;
    if (lstat(path.c_str(), &entry) != 0)
        return errno == ENOENT ? std::string() : "cannot write " + path + ": " + reason(errno);
    // A link is judged by what it points at: the user may not know it is one.
    struct stat behind;
    if (S_ISLNK(entry.st_mode) && stat(path.c_str(), &behind) != 0) {
        if (force) return {};
        return path + " is a symbolic link to nothing (--force replaces the link)";
    }
    const mode_t mode = S_ISLNK(entry.st_mode) ? behind.st_mode : entry.st_mode;
    if (S_ISDIR(mode)) return path + " is a folder";
    if (!S_ISREG(mode))
        return "cannot write " + path + ": it is " + kind_of(mode) + "; --force replaces regular files only";
    if (!force) return path + " already exists (--force overwrites it)";
    return {};
}

bool same_output_target(const std::string& first, const std::string& second) {
    struct stat first_folder, second_folder;
    if (stat(folder_of(first).c_str(), &first_folder) != 0 || stat(folder_of(second).c_str(), &second_folder) != 0)
        return false;
    if (first_folder.st_dev == second_folder.st_dev && first_folder.st_ino == second_folder.st_ino &&
        name_of(first) == name_of(second))
        return true;
    // Two spellings of one existing file that differ in more than the
    // folder (a second hard link, or a file system that ignores case).
    struct stat first_file, second_file;
    return lstat(first.c_str(), &first_file) == 0 && lstat(second.c_str(), &second_file) == 0 &&
           first_file.st_dev == second_file.st_dev && first_file.st_ino == second_file.st_ino;
}

bool open_pending_file(PendingFile& file, const std::string& target, std::string& error) {
    file.target = target;
    std::string pattern = target + TEMPORARY_SUFFIX;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // An interrupt between the file's creation and the note of its name
    // would leave it behind, so interrupts wait until the name is noted.
    sigset_t interrupts, previous;
    sigemptyset(&interrupts);
    for (int signal_number : INTERRUPTS) sigaddset(&interrupts, signal_number);
    sigprocmask(SIG_BLOCK, &interrupts, &previous);
    const int fd = mkstemp(name.data());
    const int fault = errno;
    if (fd >= 0) note_temporary(name.data());
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) {
        error = "cannot write " + target + ": " + reason(fault);
        return false;
    }
    // mkstemp makes the file private; give it the permissions any new file
    // of this user gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    file.temporary = name.data();
    file.stream = fdopen(fd, "wb");
    if (!file.stream) {
        error = "cannot write " + target + ": " + reason(errno);
        close(fd);
        unlink(file.temporary.c_str());
        return false;
    }
    return true;
}

namespace {

// Returned by rename_replacing_regular_file for a target it leaves alone.
constexpr int NOT_REPLACEABLE = -2;

// Replaces `to` with `from`, unless what is there now is something --force
// does not replace (it may have changed since the check before the run).
int rename_replacing_regular_file(const char* from, const char* to) {
    struct stat existing;
    if (lstat(to, &existing) == 0 && !replaceable(existing.st_mode)) return NOT_REPLACEABLE;
    return std::rename(from, to);
}

}  // namespace

bool commit_pending_file(PendingFile& file, bool force, std::string& error) {
    errno = 0;
    int fault = 0;
    bool not_replaceable = false;
    if (std::fflush(file.stream) != 0 || std::ferror(file.stream) || fsync(fileno(file.stream)) != 0)
        fault = errno != 0 ? errno : EIO;
    if (std::fclose(file.stream) != 0 && fault == 0) fault = errno;
    file.stream = nullptr;
    if (fault == 0) {
        const int renamed = force ? rename_replacing_regular_file(file.temporary.c_str(), file.target.c_str())
                                  : rename_without_replacing(file.temporary.c_str(), file.target.c_str());
        if (renamed == 0) {
            interrupted_file_set = 0;
            return true;
        }
        not_replaceable = renamed == NOT_REPLACEABLE;
        fault = errno;
    }
    unlink(file.temporary.c_str());
    interrupted_file_set = 0;
    const std::string why = not_replaceable   ? "it is no longer a regular file; --force replaces regular files only"
                            : fault == EEXIST ? "it appeared during the run (--force overwrites it)"
                                              : reason(fault);
    error = "cannot write " + file.target + ": " + why;
    return false;
}

void discard_pending_file(PendingFile& file) {
    if (file.stream) std::fclose(file.stream);
    file.stream = nullptr;
    if (!file.temporary.empty()) unlink(file.temporary.c_str());
    interrupted_file_set = 0;
}

void set_up_output_signals() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    for (int signal_number : INTERRUPTS) {
        struct sigaction current;
        if (sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        struct sigaction handler = {};
        handler.sa_handler = on_interrupt;
        sigemptyset(&handler.sa_mask);
        sigaction(signal_number, &handler, nullptr);
    }
}

bool write_whole_file(const std::string& target, bool force,
                      const std::function<bool(std::FILE* stream, std::string& error)>& write, std::string& error) {
    PendingFile file;
    if (!open_pending_file(file, target, error)) return false;
    std::string failure;
    bool written = false;
    try {
        written = write(file.stream, failure);
    } catch (const std::bad_alloc&) {
        failure = "out of memory";
    }
    if (!written) {
        discard_pending_file(file);
        error = "cannot write " + target + ": " + failure;
        return false;
    }
    return commit_pending_file(file, force, error);
}
