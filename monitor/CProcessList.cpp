#include "monitor/CProcessList.h"

#include "monitor/ServiceApi.h"

#include <cstddef>
#include <new>

namespace {

// Room for the list of a few hundred processes with their threads; a longer one is learnt once and its buffer kept.
constexpr ULONG kFirstSize = 256 * 1024;
// A longer list is not read: the figures keep their last values.
constexpr ULONGLONG kLargestSize = 64 * 1024 * 1024;

// MinGW-w64's <winternl.h> declares the record with the layout Windows gives a 64-bit and a 32-bit (or, translated
// by WOW64, a 32-bit on 64-bit) process. Windows has changed the record since NT 4 (bytes 8 to 31, once reserved,
// were given meaning; I/O counters came with Windows 2000), but never moved the fields read here, which every task
// manager reads too.
constexpr bool kWide = sizeof(void *) == 8;
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, CreateTime) == 32, "creation, user and kernel time follow");
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, KernelTime) == 48, "kernel time");
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, UniqueProcessId) == (kWide ? 80 : 68), "process id");
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, VirtualMemoryCounters.WorkingSetSize) == (kWide ? 144 : 104),
              "working set");

} // namespace

void CProcessList::Reset()
{
    m_asked = FALSE;
    m_answered = FALSE;
}

BOOL CProcessList::Query()
{
    const ServiceApi &api = CurrentServiceApi();
    for (;;) {
        if (m_buffer == nullptr) {
            m_size = m_size != 0 ? m_size : kFirstSize;
            m_buffer.reset(new (std::nothrow) BYTE[m_size]);
            if (m_buffer == nullptr) {
                m_size = 0;
                return FALSE;
            }
        }
        ULONG returned = 0;
        const NTSTATUS status = api.queryProcessList(m_buffer.get(), m_size, &returned);
        if (status == kStatusInfoLengthMismatch) {
            // Windows 2000 may not say how much is needed, and the list may grow before the next call: at least double.
            const ULONGLONG next = returned > 2ULL * m_size ? returned : 2ULL * m_size;
            m_buffer.reset();
            if (next > kLargestSize) {
                m_size = 0;
                return FALSE;
            }
            m_size = static_cast<ULONG>(next);
            continue;
        }
        if (!NT_SUCCESS(status))
            return FALSE;
        m_length = returned != 0 && returned < m_size ? returned : m_size;
        m_time = api.monotonicTime();
        return TRUE;
    }
}

BOOL CProcessList::Find(DWORD processId, Entry &entry)
{
    if (!m_asked) {
        // A list that could not be had is not asked for again before the next Reset either.
        m_asked = TRUE;
        m_answered = Query();
    }
    if (!m_answered)
        return FALSE;
    // Each record says where the next one starts; the walk never leaves the bytes the answer filled.
    for (ULONGLONG offset = 0; offset + sizeof(SYSTEM_PROCESS_INFORMATION) <= m_length;) {
        const auto *record = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION *>(m_buffer.get() + offset);
        if (HandleToULong(record->UniqueProcessId) == processId) {
            entry = {record->VirtualMemoryCounters.WorkingSetSize,
                     static_cast<ULONGLONG>(record->KernelTime.QuadPart + record->UserTime.QuadPart),
                     static_cast<ULONGLONG>(record->CreateTime.QuadPart), m_time};
            return TRUE;
        }
        if (record->NextEntryOffset == 0)
            break;
        offset += record->NextEntryOffset;
    }
    return FALSE;
}
