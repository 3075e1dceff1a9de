#pragma once

#include <windows.h>

// Pixels given for a 96-DPI screen, brought to the screen's own DPI and back.
namespace DpiScale {

constexpr int kBaseDpi = 96;

// value × numerator / denominator, rounded half away from zero as MulDiv does, held within int; a denominator
// of 0 gives 0.
int MulDivRounded(int value, int numerator, int denominator);
// Pixels at 96 DPI as pixels at dpi; a dpi of 0 or less (not read) counts as 96.
int Scale(int pixels, int dpi);
// Pixels at dpi as pixels at 96 DPI.
int Unscale(int pixels, int dpi);
// LOGPIXELSY of the device context, or of the screen without one; 96 when it cannot be read.
int Dpi(HDC dc = nullptr);
// The font with its height and width, given at 96 DPI, scaled to dpi.
LOGFONTW ScaleFont(const LOGFONTW& font, int dpi);

}
