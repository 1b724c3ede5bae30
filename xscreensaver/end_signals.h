// SIGTERM (how XScreenSaver ends a hack) and SIGINT (a terminal's Ctrl+C) as
// a byte on a pipe that the show's loop waits on with the X connection, so
// the loop ends at once and cleanly, whatever it was waiting for.
#pragma once

// Installs the handlers; the descriptor the loop polls for reading, or -1
// when no pipe could be made (then the signals end the process as usual).
int catch_end_signals();
