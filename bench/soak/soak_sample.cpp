// One soak sample of a running program, found by its image name: "soak_sample NAME" prints
// "gdi G handles H working_set_kib W private_kib P", -1 for a figure that cannot be read.

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

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

// GetGuiResources answers 0 under Wine. The handle table the process's PEB points to (as on
// Windows) holds one entry per live GDI object, with a non-zero type.
int GdiObjectCount(DWORD processId)
{
    struct HandleEntry {
        UINT64 object;
        ULONG owner;
        USHORT unique;
        UCHAR type;
        UCHAR flags;
        UINT64 user;
    };
    constexpr size_t kPebGdiTableOffset = 0xF8;
    constexpr size_t kMaxHandles = 0x10000;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr)
        return -1;
    PROCESS_BASIC_INFORMATION basic = {};
    UINT64 table = 0;
    std::vector<HandleEntry> entries(kMaxHandles);
    const bool read =
        NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) == 0 &&
        ReadProcessMemory(process, static_cast<BYTE*>(static_cast<void*>(basic.PebBaseAddress)) + kPebGdiTableOffset,
                          &table, sizeof(table), nullptr) &&
        table != 0 &&
        ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                          entries.size() * sizeof(HandleEntry), nullptr);
    CloseHandle(process);
    if (!read)
        return -1;
    int count = 0;
    for (const HandleEntry& entry : entries)
        count += entry.type != 0;
    return count;
}

// GetProcessHandleCount answers 0 under Wine, but the system-wide handle list is real: one entry per
// open handle, each naming its process.
int HandleCount(DWORD processId)
{
    struct HandleEntry {
        ULONG processId;
        UCHAR objectType;
        UCHAR flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct HandleList {
        ULONG count;
        HandleEntry entries[1];
    };
    constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    std::vector<BYTE> buffer(0x10000);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                                         static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            // Handles may open between the two calls: leave room for more than were asked for.
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 0x1000));
            continue;
        }
        if (status != 0)
            return -1;
        break;
    }
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    const size_t room = (buffer.size() - offsetof(HandleList, entries)) / sizeof(HandleEntry);
    const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + offsetof(HandleList, entries));
    int count = 0;
    for (size_t i = 0; i < std::min<size_t>(list->count, room); ++i)
        count += entries[i].processId == processId;
    return count;
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
    std::printf("gdi %d handles %d working_set_kib %lld private_kib %lld\n", GdiObjectCount(id),
                HandleCount(id), workingSet, privateBytes);
    return 0;
}
