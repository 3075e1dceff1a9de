#include "config/CDisplayPage.h"

#include "config/CColorSwatch.h"
#include "framework/CColorDialog.h"
#include "framework/CComboBox.h"
#include "framework/CDC.h"
#include "framework/CFontDialog.h"
#include "framework/CGdiObject.h"
#include "framework/DpiScale.h"
#include "res/resource.h"
#include "settings/CRegistryKey.h"
#include "settings/RegistryFormat.h"

namespace {
constexpr int kPointsPerInch = 72;
constexpr int kPointTenthsPerInch = 720;
// Space kept above, below and between lines, in pixels at 96 DPI.
constexpr int kLineGap = 20;

// Fills the row-count list with "1" up to count.
void AddCountChoices(CComboBox& combo, int count)
{
    for (int i = 1; i <= count; ++i) {
        CString text;
        text.Format(L"%d", i);
        combo.AddString(text);
    }
}
}

CDisplayPage::CDisplayPage()
    : CPropertyPage(IDD_DISPLAY_PAGE), m_lineExtent(), m_lineCapacity(0), m_pRunningSwatch(nullptr),
      m_pStoppedSwatch(nullptr), m_pPausedSwatch(nullptr), m_pOtherSwatch(nullptr)
{
    m_settings.Load();
    m_pRunningSwatch = new CColorSwatch(L"Running");
    m_pStoppedSwatch = new CColorSwatch(L"Stopped");
    m_pPausedSwatch = new CColorSwatch(L"Paused");
    m_pOtherSwatch = new CColorSwatch(L"Other");
}

CDisplayPage::~CDisplayPage()
{
    delete m_pRunningSwatch;
    delete m_pStoppedSwatch;
    delete m_pPausedSwatch;
    delete m_pOtherSwatch;
}

int CDisplayPage::LineCapacity(int screenHeight, int lineHeight, int dpi)
{
    const int gap = DpiScale::Scale(kLineGap, dpi);
    return (screenHeight - gap) / (lineHeight + gap);
}

LONG CDisplayPage::StoredFontHeight(LONG chosenHeight, int pointTenths, int dpi)
{
    if (dpi == DpiScale::kBaseDpi || chosenHeight >= 0 || pointTenths <= 0)
        return DpiScale::Unscale(chosenHeight, dpi);
    // Through this screen's pixels the size could lose a pixel at each showing of the dialog: the dialog gives
    // whole points, which a 96-DPI screen turns into pixels the same way each time.
    return -DpiScale::MulDivRounded(pointTenths, DpiScale::kBaseDpi, kPointTenthsPerInch);
}

LONG CDisplayPage::DialogFontHeight(LONG storedHeight, int dpi)
{
    if (storedHeight >= 0)
        return DpiScale::Scale(storedHeight, dpi);
    // Scaled pixel for pixel, a size of 3k + 2 points would open a point larger at 150 % (11 points, stored as 15
    // pixels, are 22.5, shown as 23: 12 points), and OK would keep that.
    const int points = DpiScale::MulDivRounded(storedHeight, kPointsPerInch, DpiScale::kBaseDpi);
    return DpiScale::MulDivRounded(points, dpi > 0 ? dpi : DpiScale::kBaseDpi, kPointsPerInch);
}

int CDisplayPage::CountChoices(int savedPairs, int capacity)
{
    const int choices = savedPairs == 0 || capacity < savedPairs ? capacity : savedPairs;
    return choices > 0 ? choices : 0;
}

BOOL CDisplayPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CheckRadioButton(IDC_RUNNING_RADIO, IDC_PAUSED_RADIO, IDC_RUNNING_RADIO);
    const struct {
        CColorSwatch* swatch;
        int placeholder;
    } swatches[] = {{m_pRunningSwatch, IDC_RUNNING_SWATCH},
                    {m_pStoppedSwatch, IDC_STOPPED_SWATCH},
                    {m_pPausedSwatch, IDC_PAUSED_SWATCH},
                    {m_pOtherSwatch, IDC_OTHER_SWATCH}};
    for (const auto& entry : swatches) {
        RECT rect;
        ::GetWindowRect(GetDlgItem(entry.placeholder), &rect);
        ScreenToClient(&rect);
        entry.swatch->Create(L"", WS_CHILD | WS_VISIBLE | WS_DLGFRAME, rect, this, 0xFFFF);
    }
    return TRUE;
}

BOOL CDisplayPage::OnSetActive()
{
    ComputeLineCapacity();
    CComboBox combo;
    combo.Attach(GetDlgItem(IDC_COUNT_COMBO));
    combo.ResetContent();
    ReadSavedLists();
    const int servers = m_settings.SavedServers.GetSize();
    const int services = m_settings.SavedServices.GetSize();
    // A hand-edited pair of lists counts only the entries that pair up.
    const int choices = CountChoices(services < servers ? services : servers, m_lineCapacity);
    AddCountChoices(combo, choices);
    if (combo.SetCurSel(m_settings.ServicesCount - 1) == CB_ERR) {
        combo.SetCurSel(choices - 1);
        m_settings.ServicesCount = choices;
    }
    combo.Detach();
    return CPropertyPage::OnSetActive();
}

BOOL CDisplayPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (MAKELONG(LOWORD(wParam), HIWORD(wParam))) {
    case MAKELONG(IDC_COLORS, BN_CLICKED):
        OnColors();
        return TRUE;
    case MAKELONG(IDC_FONT, BN_CLICKED):
        OnFont();
        return TRUE;
    case MAKELONG(IDC_COUNT_COMBO, CBN_SELCHANGE):
        OnCountChanged();
        return TRUE;
    default:
        return CPropertyPage::OnCommand(wParam, lParam);
    }
}

BOOL CDisplayPage::OnApply()
{
    WriteDisplayValues();
    return CPropertyPage::OnApply();
}

void CDisplayPage::OnOK()
{
    WriteDisplayValues();
    ReadSavedLists();
    CPropertyPage::OnOK();
}

void CDisplayPage::OnCancel()
{
    CPropertyPage::OnCancel();
}

void CDisplayPage::OnColors()
{
    CColorDialog dialog(0, 0, nullptr);
    dialog.m_cc.Flags |= CC_RGBINIT;
    // The dialog edits the custom colours in place.
    dialog.m_cc.lpCustColors = m_settings.CustomColors;
    if (const COLORREF* field = ColorOf(GetCheckedRadioButton(IDC_RUNNING_RADIO, IDC_PAUSED_RADIO)))
        dialog.m_cc.rgbResult = *field;
    if (dialog.DoModal() != IDOK)
        return;
    SetModified(TRUE);
    const int checked = GetCheckedRadioButton(IDC_RUNNING_RADIO, IDC_PAUSED_RADIO);
    COLORREF* field = ColorOf(checked);
    CColorSwatch* swatch = SwatchOf(checked);
    if (field == nullptr || swatch == nullptr)
        return;
    *field = dialog.GetColor();
    swatch->SetColor(*field);
}

void CDisplayPage::OnFont()
{
    CFontDialog dialog(nullptr, CF_EFFECTS | CF_SCREENFONTS, nullptr, nullptr);
    dialog.m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    dialog.m_cf.Flags &= ~static_cast<DWORD>(CF_EFFECTS);
    // The dialog works in this screen's pixels; the settings hold pixels at 96 DPI.
    const int dpi = DpiScale::Dpi();
    LOGFONTW chosen = DpiScale::ScaleFont(m_settings.LogFont, dpi);
    chosen.lfHeight = DialogFontHeight(m_settings.LogFont.lfHeight, dpi);
    dialog.m_cf.lpLogFont = &chosen;
    if (dialog.DoModal() != IDOK)
        return;
    SetModified(TRUE);
    const LONG height = StoredFontHeight(chosen.lfHeight, dialog.m_cf.iPointSize, dpi);
    m_settings.LogFont = chosen;
    m_settings.LogFont.lfHeight = height;
    m_settings.LogFont.lfWidth = DpiScale::Unscale(chosen.lfWidth, dpi);
    ComputeLineCapacity();
    CComboBox combo;
    combo.Attach(GetDlgItem(IDC_COUNT_COMBO));
    combo.ResetContent();
    const int choices = m_lineCapacity > 0 ? m_lineCapacity : 0;
    AddCountChoices(combo, choices);
    CString current;
    current.Format(L"%d", m_settings.ServicesCount);
    // The count itself stays until the user picks or the page is shown again.
    const int index = combo.FindStringExact(-1, current);
    combo.SetCurSel(index != CB_ERR ? index : choices - 1);
    combo.Detach();
}

void CDisplayPage::OnCountChanged()
{
    m_settings.ServicesCount = static_cast<int>(SendDlgItemMessage(IDC_COUNT_COMBO, CB_GETCURSEL)) + 1;
    SetModified(TRUE);
}

void CDisplayPage::ComputeLineCapacity()
{
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    // Measured as the saver draws it: at the screen's DPI.
    const int dpi = DpiScale::Dpi(dc);
    const LOGFONTW scaled = DpiScale::ScaleFont(m_settings.LogFont, dpi);
    CFont font;
    font.CreateFontIndirect(&scaled);
    {
        CSelectObject selection(dc, font);
        m_lineExtent = SIZE();
        GetTextExtentPoint32W(dc, L"ABC", 3, &m_lineExtent);
    }
    m_lineCapacity = LineCapacity(screenHeight, m_lineExtent.cy, dpi);
}

void CDisplayPage::ReadSavedLists()
{
    CRegistryKey key;
    m_settings.SavedServices.RemoveAll();
    m_settings.SavedServers.RemoveAll();
    if (!key.Open(HKEY_CURRENT_USER, CSaverSettings::KeyPath(), KEY_READ))
        return;
    key.ReadStringList(L"SavedServices", m_settings.SavedServices);
    key.ReadStringList(L"SavedServers", m_settings.SavedServers);
    key.Close();
}

void CDisplayPage::WriteDisplayValues()
{
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, CSaverSettings::KeyPath(), KEY_WRITE))
        return;
    key.WriteDword(L"RunningColor", m_settings.RunningColor);
    key.WriteDword(L"StoppedColor", m_settings.StoppedColor);
    key.WriteDword(L"PausedColor", m_settings.PausedColor);
    key.WriteDword(L"OtherColor", m_settings.OtherColor);
    key.WriteDword(L"ServicesCount", static_cast<DWORD>(m_settings.ServicesCount));
    key.WriteBinary(L"CustomColors", m_settings.CustomColors, sizeof(m_settings.CustomColors));
    BYTE font[RegistryFormat::kLogFontBytes];
    RegistryFormat::EncodeLogFont(m_settings.LogFont, font);
    key.WriteBinary(L"LogFont", font, sizeof(font));
    key.Close();
}

COLORREF* CDisplayPage::ColorOf(int radioId)
{
    switch (radioId) {
    case IDC_RUNNING_RADIO:
        return &m_settings.RunningColor;
    case IDC_STOPPED_RADIO:
        return &m_settings.StoppedColor;
    case IDC_OTHERS_RADIO:
        return &m_settings.OtherColor;
    case IDC_PAUSED_RADIO:
        return &m_settings.PausedColor;
    default:
        return nullptr;
    }
}

CColorSwatch* CDisplayPage::SwatchOf(int radioId)
{
    switch (radioId) {
    case IDC_RUNNING_RADIO:
        return m_pRunningSwatch;
    case IDC_STOPPED_RADIO:
        return m_pStoppedSwatch;
    case IDC_OTHERS_RADIO:
        return m_pOtherSwatch;
    case IDC_PAUSED_RADIO:
        return m_pPausedSwatch;
    default:
        return nullptr;
    }
}
