#pragma once

#include "framework/CGdiObject.h"
#include "framework/CStatic.h"
#include "settings/CSaverSettings.h"

// A framed static filled with one state's colour; it answers its parent's colour query itself.
class CColorSwatch : public CStatic {
public:
    // stateName: "Running", "Stopped", "Paused" or "Other" in any case; anything else is black.
    explicit CColorSwatch(LPCWSTR stateName);

    void SetColor(COLORREF color);
    HBRUSH GetBrush() const { return m_brush; }
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    CBrush m_brush;
    CSaverSettings m_settings;
};
