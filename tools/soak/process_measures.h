// What the soak driver measures of another running process: its private
// memory and the number of GDI objects it holds.
#pragma once

#include <windows.h>

#include <cstdint>

// Private (pagefile-backed) memory in KiB, 0 when it cannot be read. Wine
// leaves PrivateUsage at 0, so PagefileUsage is read: the same commit charge.
std::uint64_t private_memory_kib(HANDLE process);

// Live GDI objects of the process, -1 when they cannot be counted.
int gdi_object_count(HANDLE process);
