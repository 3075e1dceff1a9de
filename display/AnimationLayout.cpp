#include "display/AnimationLayout.h"

#include "framework/DpiScale.h"

namespace AnimationLayout {

int RowCount(int servicesCount, int serviceTotal, int clientWidth, int dpi)
{
    if (serviceTotal <= 0)
        return 0;
    // A hand-edited negative count would make the row-gap divisor zero or negative.
    int rows = servicesCount < 0 ? 0 : servicesCount;
    if (rows > serviceTotal)
        rows = serviceTotal;
    if (clientWidth < DpiScale::Scale(kIntroMinWidth, dpi))
        rows = 1;
    return rows;
}

int RowGap(int clientHeight, int rowCount, int lineHeight)
{
    if (rowCount < 0)
        rowCount = 0;
    return (clientHeight - rowCount * lineHeight) / (rowCount + 1);
}

int RowTop(int row, int gap, int lineHeight)
{
    return (row + 1) * gap + row * lineHeight;
}

bool ShowsIntro(int clientWidth, int dpi)
{
    return clientWidth > DpiScale::Scale(kIntroMinWidth, dpi);
}

UINT IntroInterval(int clientWidth, int dpi)
{
    return ShowsIntro(clientWidth, dpi) ? kIntroInterval : kPreviewInterval;
}

int IntroPictureDpi(int dpi)
{
    return dpi > DpiScale::kBaseDpi ? 2 * DpiScale::kBaseDpi : DpiScale::kBaseDpi;
}

SIZE IntroSize(int pictureWidth, int pictureHeight, int pictureDpi, int dpi)
{
    return SIZE{DpiScale::MulDivRounded(pictureWidth, dpi, pictureDpi),
                DpiScale::MulDivRounded(pictureHeight, dpi, pictureDpi)};
}

POINT IntroOrigin(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight)
{
    return POINT{clientWidth / 2 - pictureWidth / 2, clientHeight / 2 - pictureHeight / 2};
}

}
