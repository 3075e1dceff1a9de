#pragma once

#include "framework/CDialog.h"

#include <commctrl.h>

// One page of a property sheet; the sheet's notifications become the On... calls below.
class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId);

    // Each time the page becomes current; FALSE keeps the sheet off it.
    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    // OK or Apply; the base calls OnOK. FALSE keeps the sheet open on this page.
    virtual BOOL OnApply();
    // Cancel; the base calls OnCancel.
    virtual void OnReset();
    void OnOK() override;
    void OnCancel() override;

    // Enables (or, with FALSE, withdraws this page's claim on) the sheet's Apply button.
    void SetModified(BOOL changed = TRUE);

    // What the sheet is built from; lParam leads back to this object.
    PROPSHEETPAGEW m_psp;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    static INT_PTR CALLBACK PageEntry(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
