#include "xscreensaver/end_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

// The pipe's write end, for the handler (which takes no context).
int signal_pipe_write = -1;

void on_end_signal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds the news.
    [[maybe_unused]] const auto written = write(signal_pipe_write, &byte, 1);
    errno = saved;
}

}  // namespace

int catch_end_signals() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    signal_pipe_write = ends[1];
    struct sigaction action = {};
    action.sa_handler = on_end_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return ends[0];
}
