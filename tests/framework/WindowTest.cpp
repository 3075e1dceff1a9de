#include "app/CSaverFrameWnd.h"
#include "app/MonitorLayout.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Touches of a guarded object after its delete: each one faults, is counted, and gets its page back
// so the run goes on to report it.
void *g_freed = nullptr;
size_t g_freedSize = 0;
int g_lateTouches = 0;

LONG CALLBACK CountLateTouch(EXCEPTION_POINTERS *info)
{
    const EXCEPTION_RECORD *record = info->ExceptionRecord;
    const auto address = static_cast<BYTE *>(reinterpret_cast<void *>(record->ExceptionInformation[1]));
    const auto freed = static_cast<BYTE *>(g_freed);
    if (record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || freed == nullptr || address < freed ||
        address >= freed + g_freedSize)
        return EXCEPTION_CONTINUE_SEARCH;
    ++g_lateTouches;
    VirtualAlloc(freed, g_freedSize, MEM_COMMIT, PAGE_READWRITE);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The system commands that reached the default processing.
std::vector<WPARAM> g_heardCommands;

LRESULT CALLBACK HearSysCommand(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_SYSCOMMAND)
        g_heardCommands.push_back(wParam & 0xFFF0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A self-deleting window alone in pages of its own, which its delete decommits.
template <class Window> class Guarded : public Window {
public:
    using Window::Window;
    static void *operator new(size_t size)
    {
        return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    }
    static void operator delete(void *object, size_t size)
    {
        VirtualFree(object, size, MEM_DECOMMIT);
        g_freed = object;
        g_freedSize = size;
    }
};

// Records what reaches it; deletes itself after its window is gone, as the saver's windows do.
class ProbeWindow : public CWnd {
public:
    ProbeWindow(std::wstring *log, int createResult) : m_log(log), m_createResult(createResult) {}
    // Where the system command's handler sends a message of its own.
    HWND nested = nullptr;
    ~ProbeWindow() override { *m_log += L"deleted;"; }

    BOOL Create()
    {
        return CreateEx(0, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr), L"", WS_POPUP, 0, 0,
                        50, 50, nullptr, nullptr);
    }

protected:
    int OnCreate(CREATESTRUCTW *create) override
    {
        *m_log += L"create;";
        if (CWnd::OnCreate(create) == -1)
            return -1;
        return m_createResult;
    }
    void OnDestroy() override
    {
        *m_log += L"destroy;";
        // A message handled while the window is being destroyed.
        SendMessage(WM_TIMER, 9);
        CWnd::OnDestroy();
    }
    void OnTimer(UINT_PTR id) override { *m_log += L"timer" + std::to_wstring(id) + L";"; }
    // A key destroys the window from inside its own handler, which then ends as handlers do.
    void OnKeyDown(UINT, UINT, UINT) override
    {
        DestroyWindow();
        Default();
    }
    // A message sent to this window or another one of the framework comes before the default processing, which
    // must still get this one: SC_CLOSE closes.
    void OnSysCommand(UINT id, LPARAM lParam) override
    {
        ::SendMessageW(nested, WM_NULL, 0, 0);
        CWnd::OnSysCommand(id, lParam);
    }

    void PostNcDestroy() override { delete this; }

private:
    std::wstring *m_log;
    int m_createResult;
};

TEST(Window, NothingTouchesAWindowObjectOnceItHasDeletedItself)
{
    // Runs the thread's messages until WM_QUIT or the timeout; true when WM_QUIT came.
    const auto quits = [](DWORD ms) {
        bool quit = false;
        return UiDriver::WaitPumping([&] { return quit; }, ms, WM_QUIT, &quit);
    };
    const PVOID handler = AddVectoredExceptionHandler(1, CountLateTouch);
    // A refused creation fails and still frees the object; whether WM_DESTROY comes too is the platform's choice.
    std::wstring refused;
    EXPECT_FALSE((new Guarded<ProbeWindow>(&refused, -1))->Create());
    EXPECT_EQ(refused.substr(0, 7), L"create;");
    EXPECT_EQ(refused.substr(refused.size() - 8), L"deleted;");
    std::wstring unnamed;
    EXPECT_FALSE(
        (new Guarded<ProbeWindow>(&unnamed, 0))->CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr));
    EXPECT_EQ(unnamed, L"deleted;");
    // Destroyed by WM_CLOSE's default processing, by DestroyWindow inside a key handler, as the main window,
    // ending the message loop, and by SC_CLOSE's default processing after a nested message to the window itself
    // and to another; each time WM_DESTROY handles a message of its own.
    const UINT messages[] = {WM_CLOSE, WM_KEYDOWN, WM_CLOSE, WM_SYSCOMMAND, WM_SYSCOMMAND};
    std::wstring otherLog;
    auto *other = new ProbeWindow(&otherLog, 0);
    ASSERT_TRUE(other->Create());
    for (int i = 0; i < 5; ++i) {
        CWinApp app;
        std::wstring log;
        auto *window = new Guarded<ProbeWindow>(&log, 0);
        ASSERT_TRUE(window->Create());
        const HWND handle = window->GetSafeHwnd();
        window->nested = i == 3 ? handle : other->GetSafeHwnd();
        // Another window is the main one in the other rows: only the main window's own end lets it go.
        app.m_pMainWnd = i == 2 ? window : other;
        SendMessageW(handle, messages[i], SC_CLOSE, 0);
        EXPECT_EQ(log, L"create;destroy;timer9;deleted;");
        EXPECT_FALSE(IsWindow(handle));
        EXPECT_EQ(quits(i == 2 ? 5000 : 100), i == 2) << "only the main window's end quits";
        EXPECT_EQ(app.m_pMainWnd, i == 2 ? nullptr : other);
    }
    EXPECT_EQ(g_lateTouches, 0) << "a window object was touched after it deleted itself";
    ::DestroyWindow(other->GetSafeHwnd());

    // The full-screen saver, ended by a key as a user ends it.
    g_lateTouches = 0;
    {
        CWinApp app;
        auto *frame = new Guarded<CSaverFrameWnd>();
        ASSERT_TRUE(frame->CreateFullScreen());
        app.m_pMainWnd = frame;
        const HWND window = frame->GetSafeHwnd();
        // A second saver and the system menu's close are swallowed; other commands get the default
        // processing, which is where the system's hook hears of them.
        const HHOOK hook = SetWindowsHookExW(WH_CBT, HearSysCommand, nullptr, GetCurrentThreadId());
        for (const UINT command : {SC_SCREENSAVE, SC_CLOSE, SC_RESTORE})
            SendMessageW(window, WM_SYSCOMMAND, command, 0);
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(g_heardCommands, std::vector<WPARAM>{SC_RESTORE});
        // Two display changes: the frame takes each new primary, and only a monitor beside it gets a cover, not one
        // overlapping it; the covers of the first layout go with the second. The covers, owned by the frame, lie
        // above it.
        const std::pair<MonitorLister, std::vector<std::vector<LONG>>> changes[] = {
            {[] { return MonitorLayout{{0, 0, 1280, 1024}, {{-800, 0, 0, 600}, {0, 0, 800, 600}}}; },
             {{-800, 0, 0, 600}, {0, 0, 1280, 1024}}},
            {[] { return MonitorLayout{{-800, 0, 0, 600}, {{0, 0, 1280, 1024}, {-900, 0, -100, 600}}}; },
             {{0, 0, 1280, 1024}, {-800, 0, 0, 600}}}};
        for (const auto& [layout, expected] : changes) {
            CurrentMonitorLister() = layout;
            SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
            CurrentMonitorLister() = &SystemMonitorLayout;
            std::vector<std::vector<LONG>> shown;
            for (HWND other = GetTopWindow(nullptr); other != nullptr; other = GetWindow(other, GW_HWNDNEXT)) {
                RECT r;
                if ((other == window || GetWindow(other, GW_OWNER) == window) && GetWindowRect(other, &r))
                    shown.push_back({r.left, r.top, r.right, r.bottom});
            }
            EXPECT_EQ(shown, expected);
        }
        // A drawing window made after a cover still gets the drawing window's class.
        auto *drawing = new CMonitorWnd(TRUE);
        ASSERT_TRUE(drawing->Create(0, WS_CHILD, RECT{0, 0, 9, 9}, window, 0));
        EXPECT_EQ(GetClassLongPtrW(*drawing, GCW_ATOM), GetClassLongPtrW(window, GCW_ATOM));
        PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_TRUE(quits(20000));
    }
    EXPECT_EQ(g_lateTouches, 0) << "the saver's frame was touched after it deleted itself";
    RemoveVectoredExceptionHandler(handler);
}

} // namespace
