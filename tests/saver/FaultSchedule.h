#pragma once

#include "tests/monitor/FakeServiceApi.h"

#include <map>
#include <random>
#include <vector>

// Fails a share of the monitor's platform calls on a seeded schedule, each with an error that call can
// really give, and keeps a record of the calls it was asked about. Closing calls always pass: a failed
// close leaves the caller nothing to do, and would only leak the real handle behind it.
class FaultSchedule {
public:
    using Call = FakeServiceApi::Call;

    struct Event {
        Call call;
        HANDLE handle;
        DWORD error;
    };

    FaultSchedule(unsigned seed, double share);

    // The answer for FakeServiceApi::fault: 0 lets the call through.
    DWORD Next(Call call, HANDLE handle);
    // The calls asked about since the last take, in order.
    std::vector<Event> TakeEvents();

    int Injected() const { return m_total; }
    int Injected(Call call) const;

private:
    std::mt19937 m_random;
    std::bernoulli_distribution m_fails;
    std::vector<Event> m_events;
    std::map<Call, int> m_injected;
    int m_total = 0;
};
