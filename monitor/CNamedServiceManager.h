#pragma once

#include "monitor/CServiceManager.h"

// A manager that remembers the server it was opened for, so a list of them can be searched by name.
class CNamedServiceManager : public CServiceManager {
public:
    CNamedServiceManager() = default;
    ~CNamedServiceManager() override;

    // Set by the owner after a successful open; compared case-insensitively by lookups.
    CString m_server;
};
