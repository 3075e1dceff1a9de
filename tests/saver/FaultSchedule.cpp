#include "FaultSchedule.h"

#include <utility>

namespace {

// What each call reports when the platform refuses it: rights withdrawn, a manager gone away, a handle
// gone stale, a process that ended.
std::vector<DWORD> ErrorsOf(FaultSchedule::Call call)
{
    using Call = FaultSchedule::Call;
    switch (call) {
    case Call::OpenSCManager:
        return {ERROR_ACCESS_DENIED, RPC_S_SERVER_UNAVAILABLE};
    case Call::OpenService:
        return {ERROR_ACCESS_DENIED, ERROR_SERVICE_DOES_NOT_EXIST};
    case Call::EnumServicesStatus:
    case Call::GetServiceDisplayName:
    case Call::GetServiceKeyName:
    case Call::QueryServiceConfig:
    case Call::QueryServiceStatusEx:
        return {ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE, RPC_S_SERVER_UNAVAILABLE};
    case Call::OpenProcess:
        return {ERROR_ACCESS_DENIED, ERROR_INVALID_PARAMETER};
    case Call::GetProcessTimes:
    case Call::GetProcessMemoryInfo:
        return {ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE, ERROR_PARTIAL_COPY};
    case Call::CloseServiceHandle:
    case Call::CloseHandle:
        break;
    }
    return {};
}

} // namespace

FaultSchedule::FaultSchedule(unsigned seed, double share) : m_random(seed), m_fails(share) {}

DWORD FaultSchedule::Next(Call call, HANDLE handle)
{
    const std::vector<DWORD> errors = ErrorsOf(call);
    DWORD error = 0;
    if (!errors.empty() && m_fails(m_random)) {
        error = errors[std::uniform_int_distribution<size_t>(0, errors.size() - 1)(m_random)];
        ++m_injected[call];
        ++m_total;
    }
    m_events.push_back(Event{call, handle, error});
    return error;
}

std::vector<FaultSchedule::Event> FaultSchedule::TakeEvents()
{
    return std::exchange(m_events, {});
}

int FaultSchedule::Injected(Call call) const
{
    const auto found = m_injected.find(call);
    return found == m_injected.end() ? 0 : found->second;
}
