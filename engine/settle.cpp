#include "engine/settle.h"

namespace {

bool fell(double now, double lowest) { return now < lowest * (1.0 - SETTLE_EPSILON); }

}  // namespace

std::uint64_t settle_check_interval(std::uint32_t pixel_count) { return SETTLE_CHECK_FACTOR * pixel_count; }

std::uint64_t settle_iteration_cap(std::uint32_t pixel_count) { return SETTLE_CAP_FACTOR * pixel_count; }

bool settle_check(SettleWatch& watch, const Disorder& now) {
    // The first check only sets the mark to beat.
    const bool progress = watch.checks == 0 || fell(now.red, watch.lowest.red) || fell(now.blue, watch.lowest.blue) ||
                          fell(now.green, watch.lowest.green);
    if (watch.checks == 0 || now.red < watch.lowest.red) watch.lowest.red = now.red;
    if (watch.checks == 0 || now.blue < watch.lowest.blue) watch.lowest.blue = now.blue;
    if (watch.checks == 0 || now.green < watch.lowest.green) watch.lowest.green = now.green;
    ++watch.checks;
    watch.checks_without_progress = progress ? 0 : watch.checks_without_progress + 1;
    return watch.checks_without_progress >= SETTLE_PATIENCE;
}
