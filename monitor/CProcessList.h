#pragma once

#include <windows.h>

#include <memory>

// The system's process list at one moment, read without opening any process, as task managers read it for a user
// who may not open a service's process. It is asked at the first look-up after a Reset, and not again until the
// next one: a refresh round shares one list among all its rows.
class CProcessList {
public:
    // What the list tells of one process, and when the list was taken, on the monitor's clock.
    struct Entry {
        SIZE_T workingSet;
        // Kernel plus user time, in 100-ns units.
        ULONGLONG cpuTime;
        ULONGLONG created;
        ULONGLONG sampleTime;
    };

    CProcessList() = default;
    CProcessList(const CProcessList &) = delete;
    CProcessList &operator=(const CProcessList &) = delete;

    // Lets the next look-up ask the system again; the buffer stays for it.
    void Reset();
    // FALSE when the list cannot be had, or does not hold the process.
    BOOL Find(DWORD processId, Entry &entry);

private:
    BOOL Query();

    std::unique_ptr<BYTE[]> m_buffer;
    ULONG m_size = 0;
    // The bytes of m_buffer the last answer filled.
    ULONG m_length = 0;
    BOOL m_asked = FALSE;
    BOOL m_answered = FALSE;
    ULONGLONG m_time = 0;
};
