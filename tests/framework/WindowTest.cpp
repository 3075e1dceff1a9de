#include "framework/CWinApp.h"
#include "framework/CWnd.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Records what reaches it; deletes itself after its window is gone, as the saver's windows do.
class ProbeWindow : public CWnd {
public:
    ProbeWindow(std::wstring* log, int createResult) : m_log(log), m_createResult(createResult) {}
    ~ProbeWindow() override { *m_log += L"deleted;"; }

    BOOL Create()
    {
        return CreateEx(0, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr), L"", WS_POPUP, 0,
                        0, 50, 50, nullptr, nullptr);
    }

protected:
    int OnCreate(CREATESTRUCTW* create) override
    {
        *m_log += L"create;";
        if (CWnd::OnCreate(create) == -1)
            return -1;
        return m_createResult;
    }
    void OnDestroy() override
    {
        *m_log += L"destroy;";
        CWnd::OnDestroy();
    }
    void OnTimer(UINT_PTR id) override
    {
        *m_log += L"timer" + std::to_wstring(id) + L";";
        KillTimer(id);
    }
    void PostNcDestroy() override { delete this; }

private:
    std::wstring* m_log;
    int m_createResult;
};

void PumpUntilQuit(DWORD timeoutMs, bool* quit)
{
    const DWORD start = GetTickCount();
    MSG msg;
    *quit = false;
    while (GetTickCount() - start < timeoutMs) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                *quit = true;
                return;
            }
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

TEST(Window, HandlersRunInOrderAndTheObjectDeletesItselfAfterItsWindow)
{
    CWinApp app;
    std::wstring log;
    auto* window = new ProbeWindow(&log, 0);
    ASSERT_TRUE(window->Create());
    HWND handle = window->GetSafeHwnd();
    window->SetTimer(7, 10);
    bool quit = false;
    PumpUntilQuit(300, &quit);
    EXPECT_FALSE(quit) << "only the main window's end quits";
    EXPECT_TRUE(::DestroyWindow(handle));
    EXPECT_EQ(log, L"create;timer7;destroy;deleted;");
    EXPECT_FALSE(IsWindow(handle));
}

TEST(Window, RefusedCreationFailsAndStillFreesTheObject)
{
    std::wstring log;
    auto* window = new ProbeWindow(&log, -1);
    EXPECT_FALSE(window->Create());
    // Whether WM_DESTROY comes too is the platform's choice; the object must be gone either way.
    EXPECT_EQ(log.substr(0, 7), L"create;");
    EXPECT_EQ(log.substr(log.size() - 8), L"deleted;");
}

TEST(Window, DestroyingTheMainWindowEndsTheMessageLoop)
{
    CWinApp app;
    std::wstring log;
    auto* window = new ProbeWindow(&log, 0);
    ASSERT_TRUE(window->Create());
    app.m_pMainWnd = window;
    window->PostMessage(WM_CLOSE);
    bool quit = false;
    PumpUntilQuit(5000, &quit);
    EXPECT_TRUE(quit);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(log, L"create;destroy;deleted;");
}

}
