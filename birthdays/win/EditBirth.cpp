#include "birthdays/win/EditBirth.h"

#include <commctrl.h>

#include <array>
#include <utility>

#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/win/Text.h"
#include "editors/win/IconsPicker.h"
#include "res/resource.h"
#include "shell/win/Window.h"
#include "tooltip/Zodiac.h"

TfrmEditBirth* frmEditBirth = nullptr;

namespace {

// pmMacroses: what each item inserts, by its Tag.
constexpr std::array<const wchar_t*, 3> kMacros = {L"%PersonName", L"%BirthDate", L"%CountDays"};
constexpr std::array<const wchar_t*, 3> kMacroCaptions = {L"%PersonName  -  name of the person",
                                                          L"%BirthDate  -  date of the birthday",
                                                          L"%CountDays  -  amount of the days before birthday"};

}  // namespace

TfrmEditBirth::TfrmEditBirth(HWND owner, EditBirthServices services)
    : TEditorDialog(services), zodiac_(services.Zodiac), birthdays_(services.Birthdays),
      commit_(std::move(services.Commit))
{
    Create(IDD_EDITBIRTH, owner);
    AddPage(IDC_EB_TABS, IDD_EDITBIRTH_GENERAL, "General");
    AddPage(IDC_EB_TABS, IDD_PAGE_SOUND, "Sound");
    AddPage(IDC_EB_TABS, IDD_EDITBIRTH_CONTACT, "Contact");
    AddPage(IDC_EB_TABS, IDD_EDITBIRTH_OPTIONS, "Options");
    SetUpSharedControls(IDC_EB_ICON, {IDC_EB_CONTACT_LABEL, IDC_EB_REMIND_LABEL, IDC_EB_TT1_LABEL});
    ::SendMessageW(Item(IDC_EB_TT), EM_LIMITTEXT, 3, 0);
    // The earliest birth date: 1 January 1800.
    SYSTEMTIME range[2]{};
    range[0].wYear = 1800;
    range[0].wMonth = 1;
    range[0].wDay = 1;
    ::SendMessageW(Item(IDC_EB_DATE), DTM_SETRANGE, GDTR_MIN, reinterpret_cast<LPARAM>(range));

    pmMacroses_.Reset(::CreatePopupMenu());
    HMENU menu = pmMacroses_.Get();
    ::AppendMenuW(menu, MF_STRING, IDM_EB_MACRO_CAPTION, L"Name  -  description");
    ::SetMenuDefaultItem(menu, IDM_EB_MACRO_CAPTION, FALSE);
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (size_t tag = 0; tag < kMacroCaptions.size(); ++tag)
        ::AppendMenuW(menu, MF_STRING, IDM_EB_MACRO_FIRST + tag, kMacroCaptions[tag]);

    frmEditBirth = this;
    SetValues(BirthdayEditorValues{});
}

TfrmEditBirth::~TfrmEditBirth()
{
    // While this object is whole, so that FormClose runs.
    if (Hwnd())
        ::DestroyWindow(Hwnd());
    if (frmEditBirth == this)
        frmEditBirth = nullptr;
}

void TfrmEditBirth::SetCaption(const std::string& caption)
{
    SetWindowTextUtf8(Hwnd(), caption);
}

void TfrmEditBirth::SetValues(const BirthdayEditorValues& v)
{
    SetChecked(IDC_EB_ENABLED, v.Enabled);
    SetChecked(IDC_EB_NOTE, v.ShowNote);
    SetChecked(IDC_SOUND_ENABLED, v.PlaySound);
    SetItemText(IDC_EB_NAME, v.Name);
    pickerTime_ = TimeOf(v.Date);
    SetPickerValue(Item(IDC_EB_DATE), v.Date);
    SetChecked(IDC_EB_1DAY, v.Remind1Day);
    SetChecked(IDC_EB_1WEEK, v.Remind1Week);
    SetChecked(IDC_EB_2WEEKS, v.Remind2Weeks);
    SetItemText(IDC_EB_NOTES, v.Notes);
    SetItemText(IDC_SOUND_FILE, v.SoundFile);
    SetItemText(IDC_EB_EMAIL, v.EMail);
    SetItemText(IDC_EB_ADDRESS, v.Address);
    SetItemText(IDC_EB_PHONE, v.Phone);
    IconImage().SetPicture(services_.Icons, v.IconIndex);
    SetUpDown(IDC_EB_TT_UD, 0, kTooltipDaysMax, v.TooltipDays);
    cbNoteClick();
    cbSoundClick();
    dtDateChange();
}

BirthdayEditorValues TfrmEditBirth::Values() const
{
    BirthdayEditorValues v;
    v.Enabled = Checked(IDC_EB_ENABLED);
    v.Name = ItemText(IDC_EB_NAME);
    v.IconIndex = IconImage().Tag();
    // The picker shows the day; the time of day is the one it was given.
    v.Date = EncodeDateTime(DecodeDate(PickerValue(Item(IDC_EB_DATE))), DecodeTime(pickerTime_));
    v.ShowNote = Checked(IDC_EB_NOTE);
    v.Notes = ItemText(IDC_EB_NOTES);
    v.PlaySound = Checked(IDC_SOUND_ENABLED);
    v.SoundFile = ItemText(IDC_SOUND_FILE);
    v.Phone = ItemText(IDC_EB_PHONE);
    v.Address = ItemText(IDC_EB_ADDRESS);
    v.EMail = ItemText(IDC_EB_EMAIL);
    v.Remind2Weeks = Checked(IDC_EB_2WEEKS);
    v.Remind1Week = Checked(IDC_EB_1WEEK);
    v.Remind1Day = Checked(IDC_EB_1DAY);
    v.TooltipDays = NumberFieldValue(ItemText(IDC_EB_TT), 0, kTooltipDaysMax);
    return v;
}

// --- handlers -------------------------------------------------------------------

void TfrmEditBirth::FormShow()
{
    HWND name = Item(IDC_EB_NAME);
    ::SetFocus(name);
    ::SendMessageW(name, EM_SETSEL, 0, -1);
    dtDateChange();
}

void TfrmEditBirth::OnDestroy()
{
    // FormClose.
    if (frmEditBirth == this)
        frmEditBirth = nullptr;
    TEditorDialog::OnDestroy();
}

void TfrmEditBirth::dtDateChange()
{
    const ZodiacSign& sign = ZodiacSignOf(DateOf(PickerValue(Item(IDC_EB_DATE))));
    SetItemText(IDC_EB_SIGN, sign.Name);
    SetItemText(IDC_EB_PERIOD, sign.Period);
    UniqueIcon picture(zodiac_ ? ::ImageList_GetIcon(zodiac_, sign.Index, ILD_TRANSPARENT) : nullptr);
    const int size = Scaled(32, WindowDpi(Hwnd()));
    signIcon_.Reset(picture ? static_cast<HICON>(::CopyImage(picture.Get(), IMAGE_ICON, size, size, 0)) : nullptr);
    ::SendMessageW(Item(IDC_EB_SIGN_IMAGE), STM_SETICON, reinterpret_cast<WPARAM>(signIcon_.Get()), 0);
}

void TfrmEditBirth::cbNoteClick()
{
    const bool on = Checked(IDC_EB_NOTE);
    EnableItem(IDC_EB_NOTES, on);
    EnableItem(IDC_EB_PREVIEW, on);
}

void TfrmEditBirth::btnMacrosClick()
{
    HWND button = Item(IDC_EB_MACROS);
    RECT r{};
    ::GetWindowRect(button, &r);
    const auto id = static_cast<unsigned>(::TrackPopupMenu(pmMacroses_.Get(), TPM_RETURNCMD | TPM_LEFTALIGN,
                                                           r.left + Scaled(20, WindowDpi(Hwnd())), r.bottom, 0, Hwnd(), nullptr));
    MenuItemsClick(id);
}

void TfrmEditBirth::MenuItemsClick(unsigned id)
{
    if (id < IDM_EB_MACRO_FIRST || id >= IDM_EB_MACRO_FIRST + kMacros.size())
        return;
    // At the caret, in place of any selected text; Ctrl+Z takes it back.
    HWND notes = Item(IDC_EB_NOTES);
    ::SendMessageW(notes, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kMacros[id - IDM_EB_MACRO_FIRST]));
    ::SetFocus(notes);
}

void TfrmEditBirth::btnPreviewClick()
{
    const BirthdayEditorValues v = Values();
    const std::string dateText = FormatDateTime(CurrentFormatSettings().LongDateFormat, v.Date);
    OpenPreview("Preview: " + v.Name, PreviewText(v, Clock().Now(), dateText));
}

std::vector<EditorRefusal> TfrmEditBirth::CheckValues() const
{
    static const BirthdayList kNoBirthdays;
    return CheckBirthdayEditor(Values(), Clock().Today(), birthdays_ ? *birthdays_ : kNoBirthdays,
                               Tag == 1 ? &EditedName : nullptr);
}

void TfrmEditBirth::CommitValues()
{
    if (commit_)
        commit_(Values());
}

void TfrmEditBirth::OnEditorCommand(int id, int code)
{
    switch (id) {
    case IDC_EB_NOTE:
        if (code == BN_CLICKED)
            cbNoteClick();
        break;
    case IDC_EB_MACROS:
        btnMacrosClick();
        break;
    case IDC_EB_PREVIEW:
        btnPreviewClick();
        break;
    default:
        break;
    }
}

bool TfrmEditBirth::OnNotify(NMHDR& hdr, LRESULT& result)
{
    if (hdr.idFrom == IDC_EB_DATE && hdr.code == DTN_DATETIMECHANGE) {
        dtDateChange();
        result = 0;
        return true;
    }
    return TEditorDialog::OnNotify(hdr, result);
}

void TfrmEditBirth::OnDpiChanged(int dpi)
{
    TEditorDialog::OnDpiChanged(dpi);
    dtDateChange();  // the zodiac picture in the new size
}
