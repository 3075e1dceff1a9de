#include "framework/DpiScale.h"

#include <climits>

namespace DpiScale {

int MulDivRounded(int value, int numerator, int denominator)
{
    if (denominator == 0)
        return 0;
    long long product = static_cast<long long>(value) * numerator;
    if (denominator < 0) {
        product = -product;
        denominator = -denominator;
    }
    const long long half = denominator / 2;
    const long long result = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return result > INT_MAX ? INT_MAX : result < INT_MIN ? INT_MIN : static_cast<int>(result);
}

int Scale(int pixels, int dpi)
{
    return dpi > 0 ? MulDivRounded(pixels, dpi, kBaseDpi) : pixels;
}

int Unscale(int pixels, int dpi)
{
    return dpi > 0 ? MulDivRounded(pixels, kBaseDpi, dpi) : pixels;
}

int Dpi(HDC dc)
{
    HDC screen = dc == nullptr ? GetDC(nullptr) : nullptr;
    HDC used = dc != nullptr ? dc : screen;
    const int dpi = used != nullptr ? GetDeviceCaps(used, LOGPIXELSY) : 0;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

LOGFONTW ScaleFont(const LOGFONTW& font, int dpi)
{
    LOGFONTW scaled = font;
    scaled.lfHeight = Scale(font.lfHeight, dpi);
    scaled.lfWidth = Scale(font.lfWidth, dpi);
    return scaled;
}

}
