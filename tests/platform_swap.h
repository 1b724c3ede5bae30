// Tests replace one service of the installed platform record at a time,
// keeping the others (nullptr restores that service's default).
#pragma once

#include "engine/platform.h"

template <typename Service>
void swap_platform_service(Service PlatformServices::*field, Service service) {
    PlatformServices services = installed_platform();
    services.*field = service;
    install_platform(services);
}

template <typename Service>
void restore_platform_service(Service PlatformServices::*field) {
    swap_platform_service(field, Service{});
}
