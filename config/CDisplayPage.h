#pragma once

#include "framework/CPropertyPage.h"
#include "settings/CSaverSettings.h"

class CColorSwatch;
class CComboBox;

// The "Display" tab: a colour per service state, the line font and the number of rows.
class CDisplayPage : public CPropertyPage {
public:
    CDisplayPage();
    ~CDisplayPage() override;

    BOOL OnSetActive() override;
    BOOL OnApply() override;
    void OnOK() override;
    void OnCancel() override;

    // Lines of lineHeight that fit one above the other with gaps round each of 20 pixels at 96 DPI.
    static int LineCapacity(int screenHeight, int lineHeight, int dpi);
    // The height to store for a font chosen in the font dialog on a screen of dpi: the size chosen, in whole
    // points (pointTenths), as a 96-DPI screen gives it, so that the dialog shown again keeps it.
    static LONG StoredFontHeight(LONG chosenHeight, int pointTenths, int dpi);
    // The height to open the font dialog with for a stored height: the stored size in whole points, as a 96-DPI
    // screen gives them, in pixels of a screen of dpi, so that the dialog shows the size chosen and OK keeps it.
    static LONG DialogFontHeight(LONG storedHeight, int dpi);
    // Entries the row-count list offers: the pairs saved, at most the capacity; all of it when
    // nothing is saved.
    static int CountChoices(int savedPairs, int capacity);

    const CSaverSettings& Settings() const { return m_settings; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void OnColors();
    void OnFont();
    void OnCountChanged();
    void ComputeLineCapacity();
    void ReadSavedLists();
    void WriteDisplayValues();
    // The field and swatch a radio button edits; null for an id that is none of the four.
    COLORREF* ColorOf(int radioId);
    CColorSwatch* SwatchOf(int radioId);

    SIZE m_lineExtent;
    int m_lineCapacity;
    CColorSwatch* m_pRunningSwatch;
    CColorSwatch* m_pStoppedSwatch;
    CColorSwatch* m_pPausedSwatch;
    CColorSwatch* m_pOtherSwatch;
    CSaverSettings m_settings;
};
