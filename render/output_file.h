// Output files that appear whole or not at all: each is written under a
// temporary name in its own folder and renamed into place when complete, and
// an existing file is replaced only when the user allowed it.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Empty when `path` can be written: its folder exists and is writable, its
// name leaves room for the temporary name beside it, and nothing is there
// yet, or (with `force`) a regular file or a symbolic link, which is then
// replaced itself (what a link points at is never written through). A
// folder, FIFO, device or socket is refused even with `force`. Otherwise
// what stands in the way, as a message for the user.
std::string check_output_target(const std::string& path, bool force);

// Whether two targets (both passing check_output_target) name the same
// file: the same name in the same folder, however the folder is reached
// (links, "./", a full path), or two names of one existing file.
bool same_output_target(const std::string& first, const std::string& second);

struct PendingFile {
    std::string target;
    std::string temporary;
    std::FILE* stream = nullptr;
};

// Creates the temporary file beside `target`. False, with `error` set, when
// it cannot be created.
bool open_pending_file(PendingFile& file, const std::string& target, std::string& error);

// Flushes and closes the temporary file and renames it to its target; an
// existing target is replaced only when `force`, and then only a regular
// file or a link. On failure the temporary file is removed and `error` says
// why.
bool commit_pending_file(PendingFile& file, bool force, std::string& error);

// Closes and removes the temporary file (after a failed write).
void discard_pending_file(PendingFile& file);

// Writes `target` whole with `write` (which fills the stream and returns
// false, with `error` set, on failure): the file appears only when all of it
// was written. False, with `error` set, otherwise; running out of memory in
// `write` is such a failure too.
bool write_whole_file(const std::string& target, bool force,
                      const std::function<bool(std::FILE* stream, std::string& error)>& write, std::string& error);

// Sets the signals up for writing outputs: an interrupt (Ctrl+C), hang-up
// or termination request removes the temporary file being written before
// the program ends as it would have, except a signal that was ignored at
// start (as nohup leaves a hang-up), which stays ignored; a closed pipe and
// the file-size limit make writes fail (EPIPE, EFBIG) instead of ending the
// program, so that they are reported like a full disk.
void set_up_output_signals();
