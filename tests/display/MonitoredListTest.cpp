#include "FakeServiceApi.h"
#include "LocalMachine.h"
#include "ProbeService.h"
#include "display/CMonitoredList.h"
#include "tests/driver/TestRegistry.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Call = FakeServiceApi::Call;
// Server as given to the service, its key name, and whether it counts as local.
using Entry = std::tuple<std::wstring, std::wstring, bool>;

// What is saved, and the list built from it. In names, '@' stands for the computer's name and '#'
// for it in lower case; "*" as the only entry stands for every active local Win32 service.
struct Case {
    const char *what;
    std::vector<std::wstring> servers, services;
    std::vector<Entry> entries;
    // Machine names the managers were asked for, in order ("" for NULL).
    std::vector<std::wstring> managers;
    BOOL result;
    std::optional<Call> fails = std::nullopt;
};

const wchar_t *const kA = L"QvListAlpha";
const wchar_t *const kB = L"QvListBeta";
const wchar_t *const kMissing = L"QvListNoSuchService";
// Wine opens the local manager for any name, so only the seam can make a server fail.
const wchar_t *const kUnreachable = L"QvUnreachable";

// clang-format off
const Case kCases[] = {
    {"nothing saved", {}, {}, {{L"@", L"*", true}}, {L"", L"@"}, TRUE},
    {"servers alone", {L"QvOtherHost", L"\\\\@"}, {}, {{L"@", L"*", true}}, {L"", L"@"}, TRUE},
    {"no local manager", {}, {}, {}, {}, TRUE, Call::OpenSCManager},
    {"no enumeration", {}, {}, {}, {L""}, TRUE, Call::EnumServicesStatus},
    {"missing service", {L"@", L"@", L"@"}, {kB, kMissing, kA}, {{L"@", kB, true}, {L"@", kA, true}}, {L"@"}, TRUE},
    {"pair twice", {L"@", L"@"}, {kA, kA}, {{L"@", kA, true}, {L"@", kA, true}}, {L"@"}, TRUE},
    {"one manager a server, in any case", {L"QvOtherHost", L"QVOTHERHOST", L"qvotherhost"}, {kA, kB, kA},
     {{L"QvOtherHost", kA, false}, {L"QVOTHERHOST", kB, false}, {L"qvotherhost", kA, false}}, {L"QvOtherHost"}, TRUE},
    {"localness ignores case, not backslashes", {L"#", L"\\\\@"}, {kA, kA},
     {{L"#", kA, true}, {L"\\\\@", kA, false}}, {L"#", L"\\\\@"}, TRUE},
    {"failing server ends the build", {L"@", kUnreachable, L"@", L"QvOtherHost"}, {kA, kB, kB, kA},
     {{L"@", kA, true}}, {L"@", kUnreachable}, FALSE},
    {"more servers", {L"@", L"QvSecondHost"}, {kA}, {{L"@", kA, true}}, {L"@"}, TRUE},
    {"more services", {L"QvOnlyHost"}, {kB, kA}, {{L"QvOnlyHost", kB, false}}, {L"QvOnlyHost"}, TRUE},
};
// clang-format on

std::wstring Name(std::wstring text)
{
    std::wstring computer = LocalMachine::Name();
    if (text.find(L'#') != std::wstring::npos)
        CharLowerBuffW(computer.data(), static_cast<DWORD>(computer.size()));
    const size_t at = text.find_first_of(L"@#");
    return at == std::wstring::npos ? text : text.replace(at, 1, computer);
}

std::vector<std::wstring> Names(std::vector<std::wstring> texts)
{
    for (std::wstring &text : texts)
        text = Name(text);
    return texts;
}

class MonitoredList : public ::testing::TestWithParam<Case> {};

TEST_P(MonitoredList, SavedPairsGiveTheirEntriesThroughOneManagerAServer)
{
    // Real probe services, one running and one stopped, removed when the program ends.
    static std::deque<ProbeService> probes;
    static const bool ready =
        probes.emplace_back(kB, L"Quorvane list beta").Installed() && probes.emplace_back(kA, L"Quorvane list alpha").Start();
    ASSERT_TRUE(ready);
    const Case &c = GetParam();
    SCOPED_TRACE(c.what);
    TestRegistry::DeleteSettings();
    TestRegistry::SaveLists(Names(c.servers), Names(c.services));
    FakeServiceApi seam;
    seam.unreachable = kUnreachable;
    seam.fault = [&c](Call call, HANDLE) { return c.fails == call ? DWORD{ERROR_ACCESS_DENIED} : 0; };

    std::vector<Entry> expected;
    for (const auto &[server, service, local] : c.entries)
        if (service == L"*")
            for (const auto &active : LocalMachine::Services(SERVICE_WIN32, SERVICE_ACTIVE))
                expected.emplace_back(Name(server), active.key, local);
        else
            expected.emplace_back(Name(server), service, local);

    CMonitoredList list;
    EXPECT_EQ(list.Build(), c.result);
    std::vector<Entry> entries;
    for (int i = 0; i < list.GetSize(); ++i)
        entries.emplace_back(std::wstring(list.GetAt(i)->m_server), std::wstring(list.GetAt(i)->GetServiceName()),
                             list.GetAt(i)->m_local != FALSE);
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(seam.machines, Names(c.managers));
    EXPECT_TRUE(seam.openManagers.empty() && seam.strayCloses == 0) << "managers are closed once after the build";
    TestRegistry::DeleteSettings();
}

INSTANTIATE_TEST_SUITE_P(Saved, MonitoredList, ::testing::ValuesIn(kCases));

} // namespace
