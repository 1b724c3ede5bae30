#include "screensaver/saver_timings.h"

#include <cstdlib>
#include <cstring>

SaverTimings choose_saver_timings() {
    const char* fast = std::getenv(FAST_TIMINGS_VARIABLE);
    return fast && std::strcmp(fast, "1") == 0 ? FAST_TIMINGS : NORMAL_TIMINGS;
}
