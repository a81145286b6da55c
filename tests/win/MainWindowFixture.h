// A real main window in a temporary program folder, for the tests of what it
// opens: message boxes are recorded and answered OK, and dialogs run through
// onDialog (cancelled when it is empty) instead of their own modal loop.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/Ini.h"
#include "shell/Log.h"
#include "shell/win/MainList.h"
#include "tests/unit/NullDesktop.h"
#include "tests/unit/TestFiles.h"
#include "tests/win/WinTestUtil.h"

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedSettings_ = Settings();
        ConfigureLog(dir.File("log.txt"), &clock);
    }
    void TearDown() override
    {
        window.reset();
        ConfigureLog("", nullptr);
        Settings() = savedSettings_;
    }

    void WriteFile(const std::string& name, const std::string& text) { testfiles::WriteBytes(dir.File(name), text); }

    // The window on config.cfg's [Options] holding these key lines.
    TfrmMainList& Open(const std::string& config)
    {
        window.reset();
        WriteFile("config.cfg", "[Options]\r\n" + config);
        MainListOptions options;
        options.ProgramDir = dir.Path().string();
        options.Clock = &clock;
        options.StartTimer = false;
        options.QuitOnDestroy = false;
        options.MakeDesktop = [](TfrmMainList&) { return std::unique_ptr<IDesktop>(new NullDesktop); };
        options.MessageBox = [this](HWND owner, const std::string& text, const std::string&, UINT) {
            boxes.push_back(text);
            boxOwners.push_back(owner);
            return IDOK;
        };
        options.RunDialog = [this](TDialog& dialog) {
            dialogs.push_back(wintest::WindowText(dialog.Hwnd()));
            const int result = onDialog ? onDialog(dialog) : IDCANCEL;
            // As the modal loop ends: the window goes before the command
            // goes on, so nothing may read its controls afterwards.
            ::DestroyWindow(dialog.Hwnd());
            return result;
        };
        options.ChooseExport = [this](HWND owner, bool cards) {
            return chooseExport ? chooseExport(owner, cards) : std::nullopt;
        };
        window = std::make_unique<TfrmMainList>(std::move(options));
        return *window;
    }

    std::string Log() { return testfiles::ReadBytes(dir.File("log.txt")); }
    std::string Config(const char* key) { return IniFile(dir.File("config.cfg")).ReadString("Options", key, "<none>"); }

    testfiles::TempDir dir;
    ManualClock clock{EncodeDate(2025, 6, 10) + 0.5};
    std::vector<std::string> boxes;
    std::vector<HWND> boxOwners;  // the owner each box was given
    std::vector<std::string> dialogs;  // the captions of the dialogs opened
    std::function<int(TDialog&)> onDialog;
    // The export's save dialog (cancelled when it is empty).
    ChooseExportFn chooseExport;
    std::unique_ptr<TfrmMainList> window;

private:
    AppSettings savedSettings_;
};
