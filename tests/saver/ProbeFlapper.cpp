#include "ProbeFlapper.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace {

// A removed probe is installed again this long after, and retried as often while refused.
constexpr DWORD kReinstallDelayMs = 3000;

// Whether a tick count has been reached, across the count's wrap.
bool Reached(DWORD now, DWORD when)
{
    return static_cast<LONG>(now - when) >= 0;
}

} // namespace

ProbeFlapper::ProbeFlapper(const std::wstring& prefix, int count, unsigned seed) : m_random(seed)
{
    for (int i = 0; i < count; ++i) {
        Slot slot;
        m_names.push_back(prefix + std::to_wstring(i));
        slot.displayName = L"Quorvane flapping probe " + std::to_wstring(i);
        slot.probe = std::make_unique<ProbeService>(m_names.back(), slot.displayName);
        const bool running = slot.probe->Installed() && slot.probe->Start();
        m_ready = m_ready && running;
        m_slots.push_back(std::move(slot));
    }
}

ProbeFlapper::~ProbeFlapper()
{
    Stop();
}

void ProbeFlapper::Start(DWORD periodMs, int changesPerPeriod)
{
    m_period = periodMs;
    m_perPeriod = changesPerPeriod;
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
}

void ProbeFlapper::Stop()
{
    if (m_thread == nullptr)
        return;
    SetEvent(m_stop);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    CloseHandle(m_stop);
    m_thread = m_stop = nullptr;
}

void ProbeFlapper::Remove(const std::wstring& name)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    m_toRemove.push_back(name);
}

DWORD WINAPI ProbeFlapper::ThreadEntry(void* self)
{
    static_cast<ProbeFlapper*>(self)->Run();
    return 0;
}

void ProbeFlapper::Run()
{
    std::vector<size_t> order(m_slots.size());
    std::iota(order.begin(), order.end(), 0);
    DWORD next = GetTickCount();
    for (;;) {
        next += m_period;
        const DWORD now = GetTickCount();
        if (WaitForSingleObject(m_stop, Reached(now, next) ? 0 : next - now) == WAIT_OBJECT_0)
            return;
        std::vector<std::wstring> removals;
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            removals.swap(m_toRemove);
        }
        for (Slot& slot : m_slots) {
            if (std::find(removals.begin(), removals.end(), slot.probe->Name()) != removals.end() &&
                slot.probe->Installed()) {
                slot.probe->Remove();
                ++m_removals;
                slot.reinstallAt = GetTickCount() + kReinstallDelayMs;
            }
            if (!slot.probe->Installed() && Reached(GetTickCount(), slot.reinstallAt))
                Reinstall(slot, GetTickCount());
        }
        std::shuffle(order.begin(), order.end(), m_random);
        for (int i = 0; i < m_perPeriod && i < static_cast<int>(order.size()); ++i)
            if (m_slots[order[static_cast<size_t>(i)]].probe->Installed())
                Change(*m_slots[order[static_cast<size_t>(i)]].probe);
        // A late period is not made up for: the next one starts from now.
        if (Reached(GetTickCount(), next))
            next = GetTickCount();
    }
}

void ProbeFlapper::Change(ProbeService& probe)
{
    // Pausing and continuing are cheap; a stop and the start after it cost a process each.
    const bool stop = std::uniform_int_distribution<int>(0, 3)(m_random) == 0;
    switch (probe.Status().dwCurrentState) {
    case SERVICE_RUNNING:
        if (stop ? probe.Control(SERVICE_CONTROL_STOP, SERVICE_STOPPED)
                 : probe.Control(SERVICE_CONTROL_PAUSE, SERVICE_PAUSED))
            ++m_changes;
        break;
    case SERVICE_PAUSED:
        if (stop ? probe.Control(SERVICE_CONTROL_STOP, SERVICE_STOPPED)
                 : probe.Control(SERVICE_CONTROL_CONTINUE, SERVICE_RUNNING))
            ++m_changes;
        break;
    case SERVICE_STOPPED:
        if (probe.Start())
            ++m_changes;
        break;
    default:
        // Still on its way somewhere: left alone until it arrives.
        break;
    }
}

void ProbeFlapper::Reinstall(Slot& slot, DWORD now)
{
    auto probe = std::make_unique<ProbeService>(slot.probe->Name(), slot.displayName);
    if (!probe->Installed()) {
        // A service still open somewhere stays marked for deletion, and its name taken, until then.
        m_lastRefusal = GetLastError();
        ++m_refusedInstalls;
        slot.reinstallAt = now + kReinstallDelayMs;
        return;
    }
    probe->Start();
    slot.probe = std::move(probe);
    ++m_reinstalls;
}
