#include "monitor/ServiceLine.h"

namespace ServiceLine {

double ClampedCpu(double cpu)
{
    return cpu <= 100.0 ? cpu : 100.0;
}

CString Format(LPCWSTR server, LPCWSTR displayName, LPCWSTR statusText, bool shortLine, unsigned memory, double cpu)
{
    CString line;
    if (shortLine)
        line.Format(L"\\\\%s\\%s - %s", server, displayName, statusText);
    else
        line.Format(L"\\\\%s\\%s - %s - Mem:%uKo - CPU:%.0f%s", server, displayName, statusText, memory, cpu, L"%");
    return line;
}

int StartX(int direction, int offset, int left, int right, int width)
{
    if (direction == 1)
        return offset - width + left - 1000;
    return offset + right;
}

}
