#include "engine/platform.h"

#include <ctime>
#include <new>
#include <system_error>

namespace {

PlatformServices services;

}  // namespace

void install_platform(const PlatformServices& installed) { services = installed; }

const PlatformServices& installed_platform() { return services; }

void request_repaint() {
    if (services.repaint) services.repaint(services.context);
}

void wait_for_worker(std::thread& worker) {
    if (services.wait_for_worker) {
        services.wait_for_worker(services.context, worker);
    } else {
        worker.join();
    }
}

bool start_thread(std::thread& worker, WorkerEntry entry) {
    if (services.start_thread) return services.start_thread(services.context, worker, entry);
    try {
        worker = std::thread(entry);
        return true;
    } catch (const std::system_error&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::uint32_t clock_seconds() {
    if (services.clock_seconds) return services.clock_seconds(services.context);
    return static_cast<std::uint32_t>(std::time(nullptr));
}
