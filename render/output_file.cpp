#include "render/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

namespace {

std::string folder_of(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string reason(int error_number) { return std::strerror(error_number); }

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
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) return path + " is a folder";
        if (!force) return path + " already exists (--force overwrites it)";
    }
    const std::string folder = folder_of(path);
    struct stat folder_stat;
    if (stat(folder.c_str(), &folder_stat) != 0 || !S_ISDIR(folder_stat.st_mode))
        return "cannot write " + path + ": folder " + folder + " does not exist";
    if (access(folder.c_str(), W_OK | X_OK) != 0) return "cannot write " + path + ": " + reason(errno);
    return {};
}

bool open_pending_file(PendingFile& file, const std::string& target, std::string& error) {
    file.target = target;
    std::string pattern = target + ".tmp-XXXXXX";
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

bool commit_pending_file(PendingFile& file, bool force, std::string& error) {
    errno = 0;
    int fault = 0;
    if (std::fflush(file.stream) != 0 || std::ferror(file.stream) || fsync(fileno(file.stream)) != 0)
        fault = errno != 0 ? errno : EIO;
    if (std::fclose(file.stream) != 0 && fault == 0) fault = errno;
    file.stream = nullptr;
    if (fault == 0) {
        const int renamed = force ? std::rename(file.temporary.c_str(), file.target.c_str())
                                  : rename_without_replacing(file.temporary.c_str(), file.target.c_str());
        if (renamed == 0) {
            interrupted_file_set = 0;
            return true;
        }
        fault = errno;
    }
    unlink(file.temporary.c_str());
    interrupted_file_set = 0;
    error = "cannot write " + file.target + ": " +
            (fault == EEXIST ? std::string("it appeared during the run (--force overwrites it)") : reason(fault));
    return false;
}

void discard_pending_file(PendingFile& file) {
    if (file.stream) std::fclose(file.stream);
    file.stream = nullptr;
    if (!file.temporary.empty()) unlink(file.temporary.c_str());
    interrupted_file_set = 0;
}

void remove_temporary_file_on_interrupt() {
    for (int signal_number : INTERRUPTS) std::signal(signal_number, on_interrupt);
}

bool write_whole_file(const std::string& target, bool force,
                      const std::function<bool(std::FILE* stream, std::string& error)>& write, std::string& error) {
    PendingFile file;
    if (!open_pending_file(file, target, error)) return false;
    std::string failure;
    if (!write(file.stream, failure)) {
        discard_pending_file(file);
        error = "cannot write " + target + ": " + failure;
        return false;
    }
    return commit_pending_file(file, force, error);
}
