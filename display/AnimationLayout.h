#pragma once

#include <windows.h>

// Geometry and timing of the drawing window, apart from any window. Lengths are the screen's pixels; dpi is
// the screen's LOGPIXELSY.
namespace AnimationLayout {

// The width the intro needs, at 96 DPI.
constexpr int kIntroMinWidth = 400;
constexpr UINT kIntroInterval = 3173;
constexpr UINT kPreviewInterval = 50;
constexpr UINT kFrameInterval = 10;

// Rows shown: the saved count, never negative, at most the services there are; one in a
// window narrower than the intro needs.
int RowCount(int servicesCount, int serviceTotal, int clientWidth, int dpi);
// Space above, between and below the rows; negative when the rows do not fit.
int RowGap(int clientHeight, int rowCount, int lineHeight);
int RowTop(int row, int gap, int lineHeight);
bool ShowsIntro(int clientWidth, int dpi);
UINT IntroInterval(int clientWidth, int dpi);
// The intro is drawn for 96 DPI and for twice that: the DPI of the drawing a screen takes.
int IntroPictureDpi(int dpi);
// The size a picture drawn for pictureDpi takes on the screen: its physical size.
SIZE IntroSize(int pictureWidth, int pictureHeight, int pictureDpi, int dpi);
// Top-left of a picture centred in the client area; it may lie outside a small window.
POINT IntroOrigin(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);

}
