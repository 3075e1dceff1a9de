#pragma once

#include "framework/CPropertyPage.h"
#include "framework/CStringArray.h"
#include "settings/CSaverSettings.h"

class CListCtrl;

// The "Services" tab: the monitored (server, service) pairs, shown by display name and stored
// by key name.
class CServicesPage : public CPropertyPage {
public:
    CServicesPage();
    ~CServicesPage() override;

    BOOL OnApply() override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OnAddServices();
    void OnRemoveServices();
    void OnSelectAll();
    void OnSelectNone();
    LRESULT OnListClick();
    void SaveServiceLists();

    void FillFromSavedPairs(CListCtrl& list);
    BOOL FillWithLocalActiveServices(CListCtrl& list);
    // Inserts at index (or at the end when index is past it) and remembers the row's key name.
    void InsertRow(CListCtrl& list, int index, LPCWSTR server, LPCWSTR displayName, LPCWSTR keyName);
    CString RememberedKey(const CListCtrl& list, int row) const;
    void RememberKey(CListCtrl& list, int row, const CString& keyName);
    void SelectEveryRow(BOOL select);

    CSaverSettings m_settings;
    // Key names rows were read or stored with; a row's item data is its index here plus one
    // (0: none), so the name travels with the row through inserts and deletes.
    CStringArray m_rowKeys;
};
