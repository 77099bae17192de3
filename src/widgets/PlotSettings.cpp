#include "widgets/PlotSettings.h"

#include <algorithm>
#include <cmath>

void PlotSettings::scroll(int dx, int dy)
{
    const double stepX = spanX() / numXTicks;
    minX += dx * stepX;
    maxX += dx * stepX;
    const double stepY = spanY() / numYTicks;
    minY += dy * stepY;
    maxY += dy * stepY;
}

void PlotSettings::adjust()
{
    adjustAxis(minX, maxX, numXTicks);
    adjustAxis(minY, maxY, numYTicks);
}

void PlotSettings::adjustAxis(double& min, double& max, int& numTicks)
{
    constexpr int minTicks = 4;
    const double grossStep = (max - min) / minTicks;
    if (!(grossStep > 0.0))
        return; // an empty or inverted range has no sensible step
    double step = std::pow(10.0, std::floor(std::log10(grossStep)));
    if (5 * step < grossStep)
        step *= 5;
    else if (2 * step < grossStep)
        step *= 2;
    numTicks = std::max(minTicks, static_cast<int>(std::ceil(max / step) - std::floor(min / step)));
    min = std::floor(min / step) * step;
    max = std::ceil(max / step) * step;
}
