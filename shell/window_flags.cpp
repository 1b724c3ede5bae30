#include "shell/window_flags.h"

WindowFlags window_flags;
