#pragma once

#include "framework/CString.h"

#include <windows.h>

// Asks the user for a computer of the network neighbourhood: TRUE with its plain name (no
// leading backslashes) when one was chosen, FALSE when the user cancelled or the dialog failed.
using ComputerBrowser = BOOL (*)(HWND owner, CString& computerName);

// The platform's browse-for-computer dialog.
BOOL BrowseNetworkComputer(HWND owner, CString& computerName);

// What the add-services dialog asks through; only tests ever change it.
ComputerBrowser& CurrentComputerBrowser();
