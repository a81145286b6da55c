// File > Import... and File > Export... on a real main window: the preview
// lists what the file holds and follows the choice for taken names, OK stores
// it, Cancel and a broken file store nothing, and the export writes the file.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "exchange/win/ImportPreview.h"
#include "res/resource.h"
#include "tests/win/MainWindowFixture.h"

namespace {

class ImportExport : public MainWindowFixture {
protected:
    TfrmMainList& OpenWithFile(const std::string& name, const std::string& text)
    {
        WriteFile("events.ini", "[Dentist]\r\nEnabled=1\r\nStartDateTime=46000\r\n");
        WriteFile(name, text);
        TfrmMainList& w = Open("DateFormat=dd.mm.yyyy\r\nTimeFormat=hh:nn\r\nCurPageIndex=0\r\n");
        chosen = dir.File(name);
        return w;
    }
    std::string Events() { return testfiles::ReadBytes(dir.File("events.ini")); }
    std::string chosen;
};

// Two events; "DENTIST" takes the name of the one listed.
constexpr const char* kIcs =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
    "BEGIN:VEVENT\r\nDTSTART:20250701T090000\r\nRRULE:FREQ=WEEKLY\r\nSUMMARY:DENTIST\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART:20250801T180000\r\nSUMMARY:Concert\r\nDESCRIPTION:Row 4\\, seat 12\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART:20200101T180000\r\nSUMMARY:Long ago\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";

TEST_F(ImportExport, ThePreviewListsTheFileAndOkStoresTheChoice)
{
    TfrmMainList& w = OpenWithFile("plan.ics", kIcs);
    std::vector<std::vector<std::string>> shown;
    onDialog = [&](TDialog& dialog) {
        auto& preview = dynamic_cast<TfrmImport&>(dialog);
        // Skip is the first choice; the list shows every entry and why.
        shown = preview.Rows();
        EXPECT_EQ(ListView_GetItemCount(preview.Item(IDC_IMP_LIST)), 3);
        EXPECT_EQ(preview.ItemText(IDC_IMP_SUMMARY), "1 to add, 2 skipped.");
        // A click on Rename plans again.
        ::SendMessageW(preview.Item(IDC_IMP_RENAME), BM_CLICK, 0, 0);
        EXPECT_EQ(preview.Conflict(), NameConflict::Rename);
        EXPECT_EQ(preview.ItemText(IDC_IMP_SUMMARY), "2 to add, 1 skipped.");
        EXPECT_EQ(preview.Rows()[0][3], "Add as \"DENTIST (2)\"");
        EXPECT_TRUE(::IsWindowEnabled(preview.Item(IDOK)));
        return IDOK;
    };
    w.ExchangeCommands().ImportFile(chosen);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], (std::vector<std::string>{"DENTIST", "Event, Weekly", "01.07.2025 09:00",
                                                  "Skip: the name exists already"}));
    EXPECT_EQ(shown[1], (std::vector<std::string>{"Concert", "Event, Once", "01.08.2025 18:00", "Add"}));
    EXPECT_EQ(shown[2][3], "Skip: its time has passed");
    EXPECT_EQ(dialogs, (std::vector<std::string>{"Import"}));
    ASSERT_EQ(w.Events().Count(), 3);
    EXPECT_EQ(w.Events()[1].Name, "DENTIST (2)");
    EXPECT_EQ(w.Events()[2].Notes, "Row 4, seat 12");
    EXPECT_EQ(w.EventsView().Count(), 3);
    EXPECT_NE(Events().find("[DENTIST (2)]"), std::string::npos);
    EXPECT_NE(Log().find("Imported from"), std::string::npos);
}

TEST_F(ImportExport, CancelAndABrokenFileWriteNothing)
{
    TfrmMainList& w = OpenWithFile("broken.ics",
                                   "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20251301T090000\r\nEND:VEVENT\r\n"
                                   "END:VCALENDAR\r\n");
    const std::string before = Events();
    w.ExchangeCommands().ImportFile(chosen);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Line 3: DTSTART \"20251301T090000\" is not a date"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("Nothing was changed."), std::string::npos);
    EXPECT_TRUE(dialogs.empty()) << "no preview for a broken file";

    WriteFile("good.ics", kIcs);
    w.ExchangeCommands().ImportFile(dir.File("good.ics"));  // onDialog empty: Cancel
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(Events(), before);
    EXPECT_EQ(w.Events().Count(), 1);
}

TEST_F(ImportExport, ASecondStartHandsTheFileOverAndThePageFollows)
{
    TfrmMainList& w = OpenWithFile("cards.vcf",
                                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna\r\nBDAY:1980-05-10\r\nEND:VCARD\r\n"
                                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bo\r\nBDAY:--03-02\r\nEND:VCARD\r\n");
    onDialog = [](TDialog&) { return IDOK; };
    // WM_COPYDATA as a second start sends it; the import waits for the loop.
    std::wstring path = std::wstring(chosen.begin(), chosen.end());
    COPYDATASTRUCT data{kCopyDataImport, static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)), path.data()};
    EXPECT_EQ(::SendMessageW(w.Hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), TRUE);
    EXPECT_TRUE(dialogs.empty());
    wintest::PumpMessages();
    ASSERT_EQ(w.Birthdays().Count(), 2);
    EXPECT_EQ(Settings().CurPageIndex, 1) << "the page of what came in";
    EXPECT_EQ(w.BirthdaysView().Count(), 2);
    // Another number in WM_COPYDATA is not ours.
    data.dwData = 1;
    EXPECT_EQ(::SendMessageW(w.Hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), FALSE);
}

TEST_F(ImportExport, ExportWritesTheChosenKind)
{
    WriteFile("birthdays.ini", "[Anna]\r\nBirthDate=29351\r\n[Off]\r\nEnabled=0\r\nBirthDate=29352\r\n");
    TfrmMainList& w = Open("CurPageIndex=1\r\nShowMisBirthWindow=0\r\n");
    bool askedForCards = false;
    std::optional<ExportChoice> answer = ExportChoice{dir.File("out.vcf"), true, false};
    chooseExport = [&](HWND, bool cards) {
        askedForCards = cards;
        return answer;
    };
    w.RunCommand(IDM_MAIN_EXPORT);
    EXPECT_TRUE(askedForCards) << "the birthdays page offers vCard first";
    const std::string cards = testfiles::ReadBytes(dir.File("out.vcf"));
    EXPECT_NE(cards.find("FN:Anna\r\n"), std::string::npos);
    EXPECT_EQ(cards.find("FN:Off"), std::string::npos);
    answer = ExportChoice{dir.File("all.vcf"), true, true};
    w.RunCommand(IDM_MAIN_EXPORT);
    EXPECT_NE(testfiles::ReadBytes(dir.File("all.vcf")).find("FN:Off"), std::string::npos);
    // Into a folder that does not exist: the message, nothing else.
    answer = ExportChoice{dir.File("no such folder/x.ics"), false, false};
    w.RunCommand(IDM_MAIN_EXPORT);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Unable to write to"), std::string::npos) << boxes[0];
}

}  // namespace
