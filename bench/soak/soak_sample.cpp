// One soak sample of a running program, found by its image name: "soak_sample NAME" prints
// "gdi G handles H working_set_kib W private_kib P", -1 for a figure that cannot be read.

#include "tests/driver/UiDriver.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>

namespace {

DWORD ProcessByImage(const wchar_t* image)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    DWORD found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && found == 0; more = Process32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, image) == 0)
            found = entry.th32ProcessID;
    CloseHandle(snapshot);
    return found;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::printf("usage: soak_sample IMAGE_NAME\n");
        return 2;
    }
    const DWORD id = ProcessByImage(argv[1]);
    if (id == 0) {
        std::printf("no process %ls\n", argv[1]);
        return 1;
    }
    long long workingSet = -1, privateBytes = -1;
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (process != nullptr) {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        if (GetProcessMemoryInfo(process, &counters, sizeof(counters))) {
            workingSet = static_cast<long long>(counters.WorkingSetSize / 1024);
            privateBytes = static_cast<long long>(counters.PagefileUsage / 1024);
        }
        CloseHandle(process);
    }
    std::printf("gdi %d handles %d working_set_kib %lld private_kib %lld\n", UiDriver::GdiObjectCount(id),
                UiDriver::HandleCount(id), workingSet, privateBytes);
    return 0;
}
