#include "tools/soak/process_measures.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace {

// Wine's GDI handle table, which the PEB points at: 65,536 entries of 24
// bytes, whose type byte is non-zero for a live object. Wine gives every
// process a table of its own and leaves the entries' owner field (offset 8)
// at 0 (seen under Wine 8 in both builds), so every live entry is counted.
constexpr std::size_t PEB_GDI_TABLE_OFFSET = sizeof(void*) == 4 ? 0x94 : 0xF8;
constexpr std::size_t GDI_TABLE_ENTRIES = 65536;
constexpr std::size_t GDI_ENTRY_BYTES = 24;
constexpr std::size_t GDI_ENTRY_TYPE_OFFSET = 14;

using QueryInformationProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

int count_in_handle_table(HANDLE process) {
    const auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (!query) return -1;
    PROCESS_BASIC_INFORMATION basic = {};
    if (query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0 || !basic.PebBaseAddress) {
        return -1;
    }
    void* table = nullptr;
    const auto* table_field = reinterpret_cast<const char*>(basic.PebBaseAddress) + PEB_GDI_TABLE_OFFSET;
    if (!ReadProcessMemory(process, table_field, &table, sizeof(table), nullptr) || !table) return -1;
    std::vector<unsigned char> entries(GDI_TABLE_ENTRIES * GDI_ENTRY_BYTES);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size(), nullptr)) return -1;
    int live = 0;
    for (std::size_t i = 0; i < GDI_TABLE_ENTRIES; ++i) {
        if (entries[i * GDI_ENTRY_BYTES + GDI_ENTRY_TYPE_OFFSET] != 0) ++live;
    }
    return live;
}

}  // namespace

std::uint64_t private_memory_kib(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) return 0;
    return counters.PagefileUsage / 1024;
}

int gdi_object_count(HANDLE process) {
    // Windows answers directly; Wine answers 0, and its table is read instead.
    const DWORD counted = GetGuiResources(process, GR_GDIOBJECTS);
    return counted > 0 ? static_cast<int>(counted) : count_in_handle_table(process);
}
