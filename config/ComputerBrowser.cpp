#include "config/ComputerBrowser.h"

#include <shlobj.h>

BOOL BrowseNetworkComputer(HWND owner, CString& computerName)
{
    LPITEMIDLIST root = nullptr;
    // Without the network folder the root stays null, which the dialog takes as the desktop.
    if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_NETWORK, &root)))
        root = nullptr;
    wchar_t name[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = root;
    info.pszDisplayName = name;
    info.ulFlags = BIF_BROWSEFORCOMPUTER;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
    // Both identifier lists belong to the shell's allocator.
    IMalloc* shellMalloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&shellMalloc))) {
        if (chosen != nullptr)
            shellMalloc->Free(chosen);
        if (root != nullptr)
            shellMalloc->Free(root);
        shellMalloc->Release();
    }
    if (chosen == nullptr)
        return FALSE;
    // Saved servers carry no backslashes; the dialog's display name normally has none either.
    const wchar_t* plain = name;
    while (*plain == L'\\')
        ++plain;
    computerName = plain;
    return TRUE;
}

ComputerBrowser& CurrentComputerBrowser()
{
    static ComputerBrowser browser = &BrowseNetworkComputer;
    return browser;
}
