// The birthday editor as a real window, driven through its controls and
// handlers.
#include "birthdays/win/EditBirth.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "alerts/win/Note.h"
#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "editors/win/IconsPicker.h"
#include "res/resource.h"
#include "shell/win/ImageLists.h"
#include "tests/unit/NullDesktop.h"
#include "tests/win/WinTestUtil.h"

namespace {

using wintest::WindowText;

TDateTime Day(int y, int m, int d)
{
    return EncodeDate(y, m, d);
}

class EditBirthTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
        ::InitCommonControlsEx(&icc);
        auto anna = std::make_unique<TBirthday>();
        anna->Name = "Anna";
        birthdays.Add(std::move(anna));
    }

    TfrmEditBirth& Open()
    {
        EditBirthServices s;
        s.Icons = images.Birth32();
        s.Zodiac = images.Zodiac();
        s.Desktop = &desktop;
        s.Clock = &clock;
        s.Birthdays = &birthdays;
        s.MessageBox = [this](HWND, const std::string& text, const std::string&, UINT style) {
            boxes.push_back(std::make_pair(text, style));
            return IDOK;
        };
        s.Commit = [this](const BirthdayEditorValues& v) { committed.push_back(v); };
        dialog = std::make_unique<TfrmEditBirth>(owner.Hwnd(), std::move(s));
        return *dialog;
    }

    void SetDate(TDateTime day)
    {
        BirthdayEditorValues v = dialog->Values();
        v.Date = day + kPickerTimeOfDay;
        dialog->SetValues(v);
    }

    TImageLists images;
    ManualClock clock{Day(2025, 6, 10) + 10.0 / 24};
    NullDesktop desktop;
    BirthdayList birthdays;
    wintest::OwnerWindow owner;
    std::vector<std::pair<std::string, UINT>> boxes;
    std::vector<BirthdayEditorValues> committed;
    std::unique_ptr<TfrmEditBirth> dialog;
};

TEST_F(EditBirthTest, DesignedStateAndTheSignOfTheDate)
{
    TfrmEditBirth& d = Open();
    EXPECT_TRUE(BirthdayEditorOpen());
    EXPECT_EQ(WindowText(d.Hwnd()), "Birthday");
    EXPECT_EQ(::SendMessageW(d.Item(IDC_EB_TABS), TCM_GETITEMCOUNT, 0, 0), 4);
    const BirthdayEditorValues v = d.Values();
    EXPECT_EQ(std::make_tuple(v.Enabled, v.ShowNote, v.PlaySound, v.Remind2Weeks, v.Remind1Week, v.Remind1Day,
                              v.Notes),
              std::make_tuple(true, true, false, true, true, true,
                              std::string("%PersonName has birthday on %BirthDate")));
    EXPECT_NEAR(v.Date, kPickerTimeOfDay, 1e-9);
    EXPECT_EQ(d.ItemText(IDC_EB_SIGN), "Capricorn");  // 30 December 1899

    // Choosing a date shows its sign; the picker keeps its time of day.
    SYSTEMTIME st{1990, 3, 0, 21, 0, 0, 0, 0};
    ::SendMessageW(d.Item(IDC_EB_DATE), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    NMDATETIMECHANGE change{};
    change.nmhdr = NMHDR{d.Item(IDC_EB_DATE), IDC_EB_DATE, static_cast<UINT>(DTN_DATETIMECHANGE)};
    ::SendMessageW(::GetParent(d.Item(IDC_EB_DATE)), WM_NOTIFY, IDC_EB_DATE, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(std::make_tuple(d.ItemText(IDC_EB_SIGN), d.ItemText(IDC_EB_PERIOD)),
              std::make_tuple(std::string("Aries"), std::string("21.03 - 19.04")));
    EXPECT_NE(::SendMessageW(d.Item(IDC_EB_SIGN_IMAGE), STM_GETICON, 0, 0), 0);
    EXPECT_NEAR(d.Values().Date, Day(1990, 3, 21) + kPickerTimeOfDay, 1e-9);

    ::SendMessageW(d.Item(IDC_EB_NOTE), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindowEnabled(d.Item(IDC_EB_NOTES)) || ::IsWindowEnabled(d.Item(IDC_EB_PREVIEW)));
    ::SendMessageW(d.Item(IDC_SOUND_ENABLED), BM_CLICK, 0, 0);
    EXPECT_TRUE(::IsWindowEnabled(d.Item(IDC_SOUND_FILE)) && ::IsWindowEnabled(d.Item(IDC_SOUND_PLAY)));

    dialog.reset();
    EXPECT_FALSE(BirthdayEditorOpen());
}

TEST_F(EditBirthTest, MacrosGoInAtTheCaret)
{
    TfrmEditBirth& d = Open();
    HWND notes = d.Item(IDC_EB_NOTES);
    d.SetItemText(IDC_EB_NOTES, "Hello NAME!");
    ::SendMessageW(notes, EM_SETSEL, 6, 10);  // "NAME"
    d.MenuItemsClick(IDM_EB_MACRO_FIRST);
    ::SendMessageW(notes, EM_SETSEL, 0, 0);
    d.MenuItemsClick(IDM_EB_MACRO_FIRST + 2);
    d.MenuItemsClick(IDM_EB_MACRO_CAPTION);  // the caption item does nothing
    EXPECT_EQ(d.ItemText(IDC_EB_NOTES), "%CountDaysHello %PersonName!");
    EXPECT_EQ(wintest::MenuItemText(d.MacrosMenu(), 3), "%BirthDate  -  date of the birthday");
}

TEST_F(EditBirthTest, OkShowsEveryRefusalThenCommits)
{
    TfrmEditBirth& d = Open();
    SetDate(Day(2025, 6, 11));  // tomorrow
    d.btnOkClick();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], std::make_pair(std::string("Please enter name of the person"),
                                       static_cast<UINT>(MB_OK | MB_ICONWARNING)));
    EXPECT_EQ(boxes[1], std::make_pair(std::string("Selected date of birthday in future! Please select right date"),
                                       static_cast<UINT>(MB_OK | MB_ICONERROR)));
    EXPECT_EQ(d.ModalResult(), 0);
    EXPECT_TRUE(committed.empty());

    d.SetItemText(IDC_EB_NAME, "Leap");
    SetDate(Day(2000, 2, 29));  // accepted like any other day
    d.btnOkClick();
    ASSERT_EQ(committed.size(), 1u);
    EXPECT_NEAR(committed[0].Date, Day(2000, 2, 29) + kPickerTimeOfDay, 1e-9);
    EXPECT_EQ(d.ModalResult(), IDOK);
}

TEST_F(EditBirthTest, PreviewCountsFromNow)
{
    TfrmEditBirth& d = Open();
    d.SetItemText(IDC_EB_NAME, "Eva");
    d.SetItemText(IDC_EB_NOTES, "%PersonName in %CountDays days");
    SetDate(Day(1990, 6, 11));  // tomorrow: the reminder today says 1
    d.btnPreviewClick();
    auto* note = dynamic_cast<TfrmNote*>(TWindow::FromHandle(d.PreviewNote()));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(WindowText(note->Hwnd()), "Preview: Eva");
    EXPECT_EQ(WindowText(note->TextControl()), "Eva in 0 days");
}

}  // namespace
