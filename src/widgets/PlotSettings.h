#pragma once
// One view of the plotter: the axis ranges and their tick counts.

struct PlotSettings {
    double minX = 0.0;
    double maxX = 10.0;
    int numXTicks = 5;
    double minY = 0.0;
    double maxY = 10.0;
    int numYTicks = 5;

    double spanX() const { return maxX - minX; }
    double spanY() const { return maxY - minY; }

    // Moves both bounds of each axis by whole ticks.
    void scroll(int dx, int dy);
    // Rounds both axes to tidy steps after a band zoom.
    void adjust();
    // One axis: the step is 1, 2 or 5 times a power of ten near a quarter of the range.
    static void adjustAxis(double& min, double& max, int& numTicks);

    bool operator==(const PlotSettings&) const = default;
};
