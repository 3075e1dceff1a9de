#pragma once

#include "framework/CString.h"

// The text of a service line and where it starts, apart from any drawing.
namespace ServiceLine {

// A share above 100 (or not a number) is shown, and kept, as 100.
double ClampedCpu(double cpu);

// "\\server\name - state", or with " - Mem:<memory>Ko - CPU:<cpu>%" for a long line.
CString Format(LPCWSTR server, LPCWSTR displayName, LPCWSTR statusText, bool shortLine, unsigned memory, double cpu);

// Starting x of a line of the given width: direction 1 moves right and starts 0..1000 pixels
// beyond the left edge, direction 0 moves left and starts as far beyond the right edge.
// offset is the random draw, 0..1000.
int StartX(int direction, int offset, int left, int right, int width);

}
