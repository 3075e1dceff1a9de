#include "ProbeService.h"
#include "display/CMonitoredList.h"
#include "settings/CRegistryKey.h"
#include "tests/monitor/FakeServiceApi.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Server as given to the service, its key name, and whether it counts as local.
using Entry = std::tuple<std::wstring, std::wstring, bool>;

const wchar_t *const kAlpha = L"QvListAlpha";
const wchar_t *const kBeta = L"QvListBeta";
const wchar_t *const kMissing = L"QvListNoSuchService";
// Wine opens the local manager for any name, so only the seam can make a server fail.
const wchar_t *const kUnreachable = L"QvUnreachable";

std::wstring ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    return name;
}

std::wstring Lower(std::wstring text)
{
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Key names of the active local Win32 services, straight from the platform, in its order.
std::vector<std::wstring> ActiveLocalServices()
{
    std::vector<std::wstring> names;
    const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, GENERIC_READ);
    if (manager == nullptr)
        return names;
    std::vector<BYTE> block(0x10000);
    DWORD needed = 0, count = 0, resume = 0;
    while (!EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_ACTIVE,
                                reinterpret_cast<LPENUM_SERVICE_STATUSW>(block.data()),
                                static_cast<DWORD>(block.size()), &needed, &count, &resume) &&
           GetLastError() == ERROR_MORE_DATA) {
        block.resize(block.size() + needed);
        resume = 0;
    }
    const auto *records = reinterpret_cast<const ENUM_SERVICE_STATUSW *>(block.data());
    for (DWORD i = 0; i < count; ++i)
        names.push_back(records[i].lpServiceName);
    CloseServiceHandle(manager);
    return names;
}

std::vector<Entry> Entries(const CMonitoredList &list)
{
    std::vector<Entry> entries;
    for (int i = 0; i < list.GetSize(); ++i) {
        const CMonitoredService *service = list.GetAt(i);
        entries.emplace_back(std::wstring(service->m_server), std::wstring(service->GetServiceName()),
                             service->m_local != FALSE);
    }
    return entries;
}

// Real probe services (one running, one stopped) and a settings key cleared around every case.
class MonitoredList : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_alpha = new ProbeService(kAlpha, L"Quorvane list alpha");
        s_beta = new ProbeService(kBeta, L"Quorvane list beta");
        s_ready = s_alpha->Installed() && s_beta->Installed() && s_alpha->Start();
    }
    static void TearDownTestSuite()
    {
        delete s_alpha;
        delete s_beta;
        s_alpha = s_beta = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_ready);
        SHDeleteKeyW(HKEY_CURRENT_USER, CSaverSettings::KeyPath());
    }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, CSaverSettings::KeyPath()); }

    static void Save(LPCWSTR value, const std::vector<std::wstring> &items)
    {
        CStringArray entries;
        for (const std::wstring &item : items)
            entries.Add(item.c_str());
        CRegistryKey key;
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, CSaverSettings::KeyPath(), KEY_WRITE));
        ASSERT_TRUE(key.WriteStringList(value, entries));
    }
    static void SavePairs(const std::vector<std::wstring> &servers, const std::vector<std::wstring> &services)
    {
        Save(L"SavedServers", servers);
        Save(L"SavedServices", services);
    }

    // Records the machine (NULL as "") and service names asked for; only the unreachable server fails.
    void RecordManagerOpens()
    {
        m_seam.openSCManager = [this](LPCWSTR machine, LPCWSTR database, DWORD access) {
            m_machines.push_back(machine != nullptr ? machine : L"");
            if (machine != nullptr && wcscmp(machine, kUnreachable) == 0) {
                SetLastError(RPC_S_SERVER_UNAVAILABLE);
                return SC_HANDLE{};
            }
            return RealServiceApi().openSCManager(machine, database, access);
        };
        m_seam.openService = [this](SC_HANDLE manager, LPCWSTR name, DWORD access) {
            m_servicesAsked.push_back(name);
            return RealServiceApi().openService(manager, name, access);
        };
    }

    static ProbeService *s_alpha;
    static ProbeService *s_beta;
    static bool s_ready;
    const std::wstring m_computer = ComputerName();
    FakeServiceApi m_seam;
    std::vector<std::wstring> m_machines;
    std::vector<std::wstring> m_servicesAsked;
};

ProbeService *MonitoredList::s_alpha = nullptr;
ProbeService *MonitoredList::s_beta = nullptr;
bool MonitoredList::s_ready = false;

// ---- Nothing saved: the default list

TEST_F(MonitoredList, NothingSavedListsEveryActiveLocalWin32ServiceInEnumerationOrder)
{
    RecordManagerOpens();
    CMonitoredList list;
    EXPECT_TRUE(list.Build());
    const std::vector<std::wstring> active = ActiveLocalServices();

    std::vector<Entry> expected;
    for (const std::wstring &name : active)
        expected.emplace_back(m_computer, name, true);
    EXPECT_EQ(Entries(list), expected);
    EXPECT_NE(std::find(active.begin(), active.end(), kAlpha), active.end());
    EXPECT_EQ(std::find(active.begin(), active.end(), kBeta), active.end());
    // The local pairs are opened by the computer's name, not by NULL as the enumeration was.
    EXPECT_EQ(m_machines, (std::vector<std::wstring>{L"", m_computer}));
}

TEST_F(MonitoredList, ServersWithoutServicesGiveTheDefaultListOnTheLocalComputer)
{
    Save(L"SavedServers", {L"QvOtherHost", L"\\\\" + m_computer});
    CMonitoredList list;
    EXPECT_TRUE(list.Build());
    std::vector<Entry> expected;
    for (const std::wstring &name : ActiveLocalServices())
        expected.emplace_back(m_computer, name, true);
    EXPECT_EQ(Entries(list), expected);
}

TEST_F(MonitoredList, LocalManagerOrEnumerationFailureWithNothingSavedGivesAnEmptyList)
{
    m_seam.openSCManager = [](LPCWSTR, LPCWSTR, DWORD) {
        SetLastError(ERROR_ACCESS_DENIED);
        return SC_HANDLE{};
    };
    CMonitoredList refused;
    EXPECT_TRUE(refused.Build());
    EXPECT_EQ(refused.GetSize(), 0);

    m_seam.openSCManager = nullptr;
    m_seam.enumServicesStatus = [](DWORD, LPDWORD, LPDWORD) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    };
    CMonitoredList unlisted;
    EXPECT_TRUE(unlisted.Build());
    EXPECT_EQ(unlisted.GetSize(), 0);
}

// ---- Saved pairs

TEST_F(MonitoredList, MissingServiceIsSkippedAndTheRestKeepTheirOrder)
{
    SavePairs({m_computer, m_computer, m_computer}, {kBeta, kMissing, kAlpha});
    CMonitoredList list;
    EXPECT_TRUE(list.Build());
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{m_computer, kBeta, true}, {m_computer, kAlpha, true}}));
}

TEST_F(MonitoredList, SamePairSavedTwiceGivesTwoEntries)
{
    SavePairs({m_computer, m_computer}, {kAlpha, kAlpha});
    CMonitoredList list;
    EXPECT_TRUE(list.Build());
    ASSERT_EQ(Entries(list), (std::vector<Entry>{{m_computer, kAlpha, true}, {m_computer, kAlpha, true}}));
    EXPECT_NE(list.GetAt(0), list.GetAt(1));
}

TEST_F(MonitoredList, ServerNamesDifferingOnlyInCaseShareOneManagerClosedAfterTheBuild)
{
    RecordManagerOpens();
    SavePairs({L"QvOtherHost", L"QVOTHERHOST", L"qvotherhost"}, {kAlpha, kBeta, kAlpha});
    CMonitoredList list;
    EXPECT_TRUE(list.Build());
    EXPECT_EQ(list.GetSize(), 3);
    EXPECT_EQ(m_machines, (std::vector<std::wstring>{L"QvOtherHost"}));
    EXPECT_EQ(m_seam.managerHandlesClosed, 1);
}

TEST_F(MonitoredList, LocalnessIgnoresCaseButNotLeadingBackslashes)
{
    const std::wstring lower = Lower(m_computer);
    ASSERT_NE(lower, m_computer) << "the computer name needs a letter for this case";
    SavePairs({lower, L"\\\\" + m_computer, L"QvOtherHost"}, {kAlpha, kAlpha, kAlpha});
    CMonitoredList list;
    EXPECT_TRUE(list.Build());
    EXPECT_EQ(Entries(list),
              (std::vector<Entry>{
                  {lower, kAlpha, true}, {L"\\\\" + m_computer, kAlpha, false}, {L"QvOtherHost", kAlpha, false}}));
}

TEST_F(MonitoredList, ServerWhoseManagerFailsStopsTheBuildThere)
{
    RecordManagerOpens();
    SavePairs({m_computer, kUnreachable, m_computer, L"QvOtherHost"}, {kAlpha, kBeta, kBeta, kAlpha});
    CMonitoredList list;
    EXPECT_FALSE(list.Build());
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{m_computer, kAlpha, true}}));
    EXPECT_EQ(m_machines, (std::vector<std::wstring>{m_computer, kUnreachable}));
    EXPECT_EQ(m_servicesAsked, (std::vector<std::wstring>{kAlpha}));
    EXPECT_EQ(m_seam.managerHandlesClosed, 1);
}

TEST_F(MonitoredList, OddSizedSavedListsGiveBothOfTheirPairs)
{
    // Both lists with two complete entries and a stray byte, as a multi-string and as binary.
    for (const DWORD type : {REG_MULTI_SZ, REG_BINARY}) {
        for (const auto &[name, first, second] : {std::make_tuple(L"SavedServers", m_computer, m_computer),
                                                 std::make_tuple(L"SavedServices", std::wstring(kBeta),
                                                                 std::wstring(kAlpha))}) {
            std::wstring characters = first + L'\0' + second + L'\0';
            std::vector<BYTE> bytes(characters.size() * sizeof(wchar_t) + 1, 0x41);
            std::memcpy(bytes.data(), characters.data(), characters.size() * sizeof(wchar_t));
            HKEY key;
            ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, CSaverSettings::KeyPath(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                      &key, nullptr),
                      0);
            RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
            RegCloseKey(key);
        }
        CMonitoredList list;
        EXPECT_TRUE(list.Build());
        EXPECT_EQ(Entries(list), (std::vector<Entry>{{m_computer, kBeta, true}, {m_computer, kAlpha, true}})) << type;
    }
}

// ---- Hand-edited lists of different lengths

TEST_F(MonitoredList, ListsOfDifferentLengthsPairByIndexUpToTheShorter)
{
    RecordManagerOpens();
    SavePairs({m_computer, L"QvSecondHost", L"QvThirdHost"}, {kAlpha});
    CMonitoredList moreServers;
    EXPECT_TRUE(moreServers.Build());
    EXPECT_EQ(Entries(moreServers), (std::vector<Entry>{{m_computer, kAlpha, true}}));
    EXPECT_EQ(m_machines, (std::vector<std::wstring>{m_computer}));

    m_machines.clear();
    m_servicesAsked.clear();
    SavePairs({L"QvOnlyHost"}, {kBeta, kAlpha, kBeta});
    CMonitoredList moreServices;
    EXPECT_TRUE(moreServices.Build());
    EXPECT_EQ(Entries(moreServices), (std::vector<Entry>{{L"QvOnlyHost", kBeta, false}}));
    EXPECT_EQ(m_machines, (std::vector<std::wstring>{L"QvOnlyHost"}));
    EXPECT_EQ(m_servicesAsked, (std::vector<std::wstring>{kBeta}));
}

} // namespace
