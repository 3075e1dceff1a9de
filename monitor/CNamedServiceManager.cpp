#include "monitor/CNamedServiceManager.h"

CNamedServiceManager::~CNamedServiceManager()
{
    m_server.Empty();
}
