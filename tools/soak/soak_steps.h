// The soak driver's commands: each drives the running program once, as a
// user (or a second program sending it messages) might, chosen at random.
#pragma once

#include <random>

#include "tools/driving/huesift_process.h"

// The longest the program may take to answer a message before it counts as
// hung; also the bound of the messages the second thread sends.
inline constexpr int ANSWER_BOUND_MS = 5000;

struct StepDone {
    const char* name;
    bool asked_to_end;  // Exit, the close box, or a close sent by the second thread
};

// Runs one command chosen at random and waits until the program has taken
// it (dialogs answered), not for what it does afterwards.
StepDone run_random_step(const HuesiftProcess& process, std::mt19937& random);

// Makes every kind of window and image once (Help, Options with every radio
// button pressed, a 512 image sorting and rotating), so that first-use
// allocations of the program and of Wine come before the first measure.
void warm_up(const HuesiftProcess& process);

// Options with only Small checked, then Start: the state in which the soak
// compares the program's memory and GDI objects.
void reach_measuring_state(const HuesiftProcess& process);

// Answers any dialog or notice left open (a command re-posted by the program
// may open one late), so the next command starts from the main window. True
// when there was one.
bool close_stray_dialogs(const HuesiftProcess& process);
