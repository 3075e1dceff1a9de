#include "display/AnimationLayout.h"

namespace AnimationLayout {

int RowCount(int servicesCount, int serviceTotal, int clientWidth)
{
    if (serviceTotal <= 0)
        return 0;
    // A hand-edited negative count would make the row-gap divisor zero or negative.
    int rows = servicesCount < 0 ? 0 : servicesCount;
    if (rows > serviceTotal)
        rows = serviceTotal;
    if (clientWidth < kIntroMinWidth)
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

bool ShowsIntro(int clientWidth)
{
    return clientWidth > kIntroMinWidth;
}

UINT IntroInterval(int clientWidth)
{
    return ShowsIntro(clientWidth) ? kIntroInterval : kPreviewInterval;
}

POINT IntroOrigin(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight)
{
    return POINT{clientWidth / 2 - pictureWidth / 2, clientHeight / 2 - pictureHeight / 2};
}

}
