// TfrmShutDown: the countdown before a shutdown, restart or log-off. It counts
// seconds down once a second, lets the user act at once or cancel, and at zero
// runs ShutDownSystem. Shown modally; at most one exists at a time.
#pragma once

#include <windows.h>

#include <string>

#include "shell/win/Handles.h"
#include "shell/win/Window.h"

class IPowerApi;
class TfrmShutDown;

// The open countdown window, null when none is open. Set while a TfrmShutDown
// exists with its window; cleared when the window closes.
extern TfrmShutDown* frmShutDown;

class TfrmShutDown final : public TWindow {
public:
    // Creates the (hidden) window with its one-second timer running and
    // registers it in frmShutDown. Throws std::logic_error when another
    // countdown is open, std::runtime_error when the window cannot be made.
    // intervalMs exists for tests, which drive the timer by hand.
    explicit TfrmShutDown(IPowerApi& power, UINT intervalMs = 1000);
    ~TfrmShutDown() override;

    // The action word in the texts ("Turn Off", "Restart", "Log Off"; at most
    // 255 characters are used) and the ExitWindowsEx flags.
    std::string ActionName;
    unsigned ExitFlags = 0;

    // pbShutDown's maximum and position; a negative count is taken as 0.
    void SetSeconds(int seconds);
    int Position() const noexcept { return position_; }

    // FormShow, then a modal loop with owner disabled until the window has
    // closed. Returns false when the program was asked to quit meanwhile.
    bool ShowModal(HWND owner);

    // The handlers, public so that tests can drive them directly.
    void FormShow();
    void tmrMainTimer();
    void lblShutdownClick();
    void btncloseClick() { Close(); }
    void Close() override;

    HWND InfoLabel() const noexcept { return lblinf_; }
    HWND LinkLabel() const noexcept { return lblShutdown_; }
    HWND TitleLabel() const noexcept { return lblTitle_; }
    HWND ProgressBar() const noexcept { return pbShutDown_; }
    HWND CancelButton() const noexcept { return btnclose_; }

    static constexpr const char* kClassName = "TfrmShutDown";
    static constexpr int kClientWidth = 290;
    static constexpr int kClientHeight = 131;
    static constexpr UINT_PTR kTimerId = 1;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Destroyed() override;

private:
    void CreateControls();
    void ApplyDpi(int dpi);
    void UpdateInfo();
    void Act();
    void Paint(HDC dc);

    static LRESULT CALLBACK LinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);

    IPowerApi& power_;
    int maximum_ = 10;
    int position_ = 10;
    bool closing_ = false;
    bool acted_ = false;
    bool linkPressed_ = false;

    HWND lblTitle_ = nullptr;
    HWND lblinf_ = nullptr;
    HWND pbShutDown_ = nullptr;
    HWND lblShutdown_ = nullptr;
    HWND btnclose_ = nullptr;

    TimerGuard tmrMain_;
    UniqueBitmap imgTop_;
    UniqueFont boldFont_;
    UniqueFont titleFont_;
    UniqueFont linkFont_;
    UniqueFont uiFont_;
    int dpi_ = 96;  // of the monitor the window is on
};
