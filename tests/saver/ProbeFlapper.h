#pragma once

#include "ProbeService.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

// Probe services that change state under a watcher: a thread of their own moves a few of them, every
// period, between running, paused and stopped on a seeded schedule, and removes the ones it is asked to,
// trying later to install them again. The probes are removed when the object goes.
class ProbeFlapper {
public:
    // Installs and starts count probes named prefix0, prefix1, ...
    ProbeFlapper(const std::wstring& prefix, int count, unsigned seed);
    ~ProbeFlapper();
    ProbeFlapper(const ProbeFlapper&) = delete;
    ProbeFlapper& operator=(const ProbeFlapper&) = delete;

    // True when every probe was installed and runs.
    bool Ready() const { return m_ready; }
    const std::vector<std::wstring>& Names() const { return m_names; }

    void Start(DWORD periodMs, int changesPerPeriod);
    void Stop();
    // Removes that probe on the next period, and installs it again from some periods later on.
    void Remove(const std::wstring& name);

    // Figures, read once stopped.
    int Changes() const { return m_changes; }
    int Removals() const { return m_removals; }
    int Reinstalls() const { return m_reinstalls; }
    // Installs refused meanwhile, and the last reason given.
    int RefusedInstalls() const { return m_refusedInstalls; }
    DWORD LastRefusal() const { return m_lastRefusal; }

private:
    struct Slot {
        std::unique_ptr<ProbeService> probe;
        std::wstring displayName;
        DWORD reinstallAt = 0;
    };

    static DWORD WINAPI ThreadEntry(void* self);
    void Run();
    void Change(ProbeService& probe);
    void Reinstall(Slot& slot, DWORD now);

    std::vector<Slot> m_slots;
    std::vector<std::wstring> m_names;
    bool m_ready = true;
    std::mt19937 m_random;
    DWORD m_period = 500;
    int m_perPeriod = 1;
    HANDLE m_thread = nullptr;
    HANDLE m_stop = nullptr;
    std::mutex m_lock;
    std::vector<std::wstring> m_toRemove;
    int m_changes = 0;
    int m_removals = 0;
    int m_reinstalls = 0;
    int m_refusedInstalls = 0;
    DWORD m_lastRefusal = 0;
};
