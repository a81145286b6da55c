// The main window's list commands at scale, on the real window in this
// process (run under Wine or on Windows): the time to build the window on a
// program folder with many events, and to sort, toggle a check box, delete,
// edit and fire in it. Prints Google Benchmark style JSON, one entry each,
// the median of several runs.
//
//   vellomir_window_bench.exe [events]      default 10000
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchData.h"
#include "core/Clock.h"
#include "core/Desktop.h"
#include "core/Event.h"
#include "editors/win/EditEvent.h"
#include "res/resource.h"
#include "shell/win/MainList.h"
#include "tests/unit/NullDesktop.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Result {
    std::string name;
    double ms;
};

double MedianOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The median of runs of body, in milliseconds; prepare runs before each
// run and is not timed.
double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const auto start = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return MedianOf(std::move(times));
}

}  // namespace

int main(int argc, char** argv)
{
    const int n = argc > 1 ? std::atoi(argv[1]) : 10000;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&icc);
    BenchFolder folder;
    folder.Write("events.ini", MakeEventsFile(n));
    folder.Write("config.cfg", "[Options]\r\nShowTrayIcon=0\r\nTTShowFixed=0\r\nShowMisBirthWindow=0\r\n");
    ManualClock clock(kBenchEpoch);

    MainListOptions options;
    options.ProgramDir = folder.File("");
    options.ProgramDir.pop_back();  // no trailing backslash
    options.Clock = &clock;
    options.StartTimer = false;
    options.QuitOnDestroy = false;
    options.MakeDesktop = [](TfrmMainList&) { return std::unique_ptr<IDesktop>(new NullDesktop); };
    options.MessageBox = [](HWND, const std::string&, const std::string&, UINT) { return IDOK; };
    // An edit in two parts: the editor opening (a fixed cost of the dialog,
    // whatever the list holds) and the edit itself, from OK until the file
    // is written and the list shows it.
    int edits = 0;
    Clock::time_point editorShown;
    Clock::time_point okClicked;
    options.RunDialog = [&](TDialog& dialog) {
        auto* editor = dynamic_cast<TfrmEditEvent*>(&dialog);
        if (!editor)
            return IDCANCEL;
        editorShown = Clock::now();
        editor->SetItemText(IDC_EE_NAME, "Edited " + std::to_string(++edits));
        okClicked = Clock::now();
        editor->btnOkClick();
        return editor->ModalResult();
    };

    std::vector<Result> results;
    std::unique_ptr<TfrmMainList> window;
    results.push_back({"BM_OpenMainWindow/" + std::to_string(n),
                       Median(3, [&] { window.reset(); },
                              [&] { window = std::make_unique<TfrmMainList>(options); })});
    TfrmMainList& w = *window;
    TReminderList& list = w.EventsView();
    const std::string suffix = "/" + std::to_string(n);
    int column = 0;
    results.push_back({"BM_SortEvents" + suffix, Median(5, nullptr, [&] { list.ColumnClick(column++ % 3); })});
    results.push_back({"BM_ToggleEvent" + suffix, Median(5, [&] { list.Select(n / 2); }, [&] {
                           // As Space on the selected row ticks or clears its check box.
                           ::SendMessageW(list.Hwnd(), WM_KEYDOWN, VK_SPACE, 0);
                           ::SendMessageW(list.Hwnd(), WM_KEYUP, VK_SPACE, 0);
                       })});
    results.push_back({"BM_WriteKey" + suffix, Median(5, nullptr, [&] {
                           const TEvent& e = w.Events()[n / 2];
                           w.Reminders().SetEventEnabled(e.Name, !e.Enabled);
                       })});
    results.push_back({"BM_DeleteEvent" + suffix, Median(5, [&] { list.Select(n / 3); },
                                                          [&] { w.RunCommand(IDM_MAIN_DELETE); })});
    std::vector<double> opening, editing;
    for (int i = 0; i < 5; ++i) {
        list.Select(n / 4);
        const auto start = Clock::now();
        w.RunCommand(IDM_MAIN_EDIT);
        const auto done = Clock::now();
        opening.push_back(std::chrono::duration<double, std::milli>(editorShown - start).count());
        editing.push_back(std::chrono::duration<double, std::milli>(done - okClicked).count());
    }
    results.push_back({"BM_OpenEditor" + suffix, MedianOf(opening)});
    results.push_back({"BM_EditEvent" + suffix, MedianOf(editing)});
    int fired = 0;  // each run fires another event, one that has not run
    results.push_back({"BM_FireEvent" + suffix, Median(5, nullptr, [&] {
                           ::SendMessageW(w.Hwnd(), WM_EVENTFIRE, 0, w.Events().Count() / 2 + fired++);
                       })});
    // Another program renames one section of the file on disk; timed from
    // the change being noticed until the list holds the new name (the short
    // settle wait before reading is left out: it waits for the writer).
    const std::string original = MakeEventsFile(n);
    const std::string target = "[" + BenchEventName(n / 5) + "]";
    int reloads = 0;
    std::string renamed;
    results.push_back({"BM_ReloadEvents" + suffix, Median(5, [&] {
                           renamed = "Renamed outside " + std::to_string(++reloads);
                           std::string text = original;
                           text.replace(text.find(target), target.size(), "[" + renamed + "]");
                           folder.Write("events.ini", text);
                       }, [&] {
                           w.Reminders().FilesChanged();
                           if (!w.Events().Find(renamed) || ListView_GetItemCount(list.Hwnd()) != w.Events().Count()) {
                               std::fprintf(stderr, "the reload did not show %s\n", renamed.c_str());
                               std::exit(1);
                           }
                       })});
    window.reset();

    std::printf("{\n  \"benchmarks\": [\n");
    for (size_t i = 0; i < results.size(); ++i)
        std::printf("    {\"name\": \"%s\", \"real_time\": %.3f, \"time_unit\": \"ms\"}%s\n", results[i].name.c_str(),
                    results[i].ms, i + 1 < results.size() ? "," : "");
    std::printf("  ]\n}\n");
    return 0;
}
