#pragma once

#include <windows.h>

// Geometry and timing of the drawing window, apart from any window.
namespace AnimationLayout {

constexpr int kIntroMinWidth = 400;
constexpr UINT kIntroInterval = 3173;
constexpr UINT kPreviewInterval = 50;
constexpr UINT kFrameInterval = 10;

// Rows shown: the saved count, never negative, at most the services there are; one in a
// window narrower than the intro needs.
int RowCount(int servicesCount, int serviceTotal, int clientWidth);
// Space above, between and below the rows; negative when the rows do not fit.
int RowGap(int clientHeight, int rowCount, int lineHeight);
int RowTop(int row, int gap, int lineHeight);
bool ShowsIntro(int clientWidth);
UINT IntroInterval(int clientWidth);
// Top-left of a picture centred in the client area; it may lie outside a small window.
POINT IntroOrigin(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);

}
