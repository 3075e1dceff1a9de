#pragma once

#include <windows.h>

#include <string>
#include <vector>

// This computer as the saver sees it: its name, and its services as its manager lists them.
namespace LocalMachine {

struct Service {
    std::wstring key;
    std::wstring display;
};

std::wstring Name();
// Records in the manager's order.
std::vector<Service> Services(DWORD type, DWORD state);

}
