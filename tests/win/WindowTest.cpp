#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "shell/win/Window.h"
#include "tests/win/WinTestUtil.h"

namespace {

using Log = std::vector<std::string>;

// Records what reaches it; closes itself on WM_USER and then keeps using its
// members, which a self-deleting window must allow.
class ProbeWindow : public TWindow {
public:
    ProbeWindow(WindowLifetime lifetime, Log* log, bool* deleted = nullptr)
        : TWindow(lifetime), log_(log), deleted_(deleted)
    {
        WindowClassSpec cls;
        cls.Name = "VellomirTestProbe";
        CreateHandle(cls, 0, "Probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr);
    }
    ~ProbeWindow() override
    {
        if (deleted_) *deleted_ = true;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_CREATE) log_->push_back("create");
        if (msg == WM_DESTROY) log_->push_back("destroy");
        if (msg == WM_USER) {
            Close();
            // Still alive: deletion waits for this handler to return.
            log_->push_back(Hwnd() ? "handle after close" : "no handle after close");
            return 1;
        }
        if (msg == WM_USER + 1) throw std::runtime_error("handler failed");
        if (msg == WM_USER + 2) return log_->push_back(::IsWindowEnabled(Hwnd()) ? "enabled" : "disabled"), 0;
        return TWindow::HandleMessage(msg, wParam, lParam);
    }
    void Destroyed() override { log_->push_back("destroyed"); }

private:
    Log* log_;
    bool* deleted_;
};

std::string g_lastError;
void RecordError(const char* message) { g_lastError = message; }

TEST(TWindowTest, OwnedWindowIsBoundAndOutlivesItsHandle)
{
    Log log;
    bool deleted = false;
    HWND hwnd = nullptr;
    {
        ProbeWindow w(WindowLifetime::Owned, &log, &deleted);
        hwnd = w.Hwnd();
        EXPECT_EQ(TWindow::FromHandle(hwnd), &w);
        EXPECT_EQ(wintest::WindowText(hwnd), "Probe");
        EXPECT_EQ(wintest::ClassName(hwnd), "VellomirTestProbe");
    }
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(log.front(), "create");

    deleted = false;
    ProbeWindow w(WindowLifetime::Owned, &log, &deleted);
    hwnd = w.Hwnd();
    ::DestroyWindow(hwnd);
    EXPECT_EQ(w.Hwnd(), nullptr);
    EXPECT_FALSE(deleted);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(log.back(), "destroyed");
}

TEST(TWindowTest, SelfDeletingWindowGoesOnlyAfterItsHandlerReturns)
{
    Log log;
    bool deleted = false;
    HWND hwnd = (new ProbeWindow(WindowLifetime::SelfDeleting, &log, &deleted))->Hwnd();
    EXPECT_EQ(::SendMessageW(hwnd, WM_USER, 0, 0), 1);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(log, (Log{"create", "destroy", "destroyed", "no handle after close"}));

    deleted = false;  // and when destroyed from outside
    ::DestroyWindow((new ProbeWindow(WindowLifetime::SelfDeleting, &log, &deleted))->Hwnd());
    EXPECT_TRUE(deleted);
}

TEST(TWindowTest, ExceptionsStopAtTheWindowProcedure)
{
    Log log;
    SetWindowErrorHandler(&RecordError);
    ProbeWindow w(WindowLifetime::Owned, &log);
    ::SendMessageW(w.Hwnd(), WM_USER + 1, 0, 0);
    SetWindowErrorHandler(nullptr);
    EXPECT_EQ(g_lastError, "handler failed");
    EXPECT_NE(w.Hwnd(), nullptr);
}

TEST(TWindowTest, RunModalDisablesOwnerUntilClosedAndPassesQuitOn)
{
    Log ownerLog, modalLog;
    ProbeWindow owner(WindowLifetime::Owned, &ownerLog);
    bool modalDeleted = false;
    auto* modal = new ProbeWindow(WindowLifetime::SelfDeleting, &modalLog, &modalDeleted);
    // Both run inside the modal loop: the owner reports its state, then the
    // modal window closes itself.
    ::PostMessageW(owner.Hwnd(), WM_USER + 2, 0, 0);
    ::PostMessageW(modal->Hwnd(), WM_USER, 0, 0);
    EXPECT_TRUE(modal->RunModal(owner.Hwnd(), SW_SHOWNA));
    EXPECT_TRUE(modalDeleted);
    EXPECT_EQ(ownerLog.back(), "disabled");
    EXPECT_TRUE(::IsWindowEnabled(owner.Hwnd()));

    modal = new ProbeWindow(WindowLifetime::SelfDeleting, &modalLog);
    HWND hwnd = modal->Hwnd();
    ::PostQuitMessage(7);
    EXPECT_FALSE(modal->RunModal(nullptr, SW_SHOWNA));
    EXPECT_FALSE(::IsWindow(hwnd));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
