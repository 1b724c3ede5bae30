// Output files that appear whole or not at all: each is written under a
// temporary name in its own folder and renamed into place when complete, and
// an existing file is replaced only when the user allowed it.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Empty when `path` can be written (its folder exists and is writable, and
// it is not a folder, nor an existing file unless `force`); otherwise what
// stands in the way, as a message for the user.
std::string check_output_target(const std::string& path, bool force);

struct PendingFile {
    std::string target;
    std::string temporary;
    std::FILE* stream = nullptr;
};

// Creates the temporary file beside `target`. False, with `error` set, when
// it cannot be created.
bool open_pending_file(PendingFile& file, const std::string& target, std::string& error);

// Flushes and closes the temporary file and renames it to its target; an
// existing target is replaced only when `force`. On failure the temporary
// file is removed and `error` says why.
bool commit_pending_file(PendingFile& file, bool force, std::string& error);

// Closes and removes the temporary file (after a failed write).
void discard_pending_file(PendingFile& file);

// Writes `target` whole with `write` (which fills the stream and returns
// false, with `error` set, on failure): the file appears only when all of it
// was written. False, with `error` set, otherwise.
bool write_whole_file(const std::string& target, bool force,
                      const std::function<bool(std::FILE* stream, std::string& error)>& write, std::string& error);

// Makes an interrupt (Ctrl+C) or a termination request remove the
// temporary file being written before the program ends as it would have.
void remove_temporary_file_on_interrupt();
