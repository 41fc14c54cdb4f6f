#include "core/canvas.h"

#include <algorithm>
#include <cstdlib>

namespace ulz {

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), fill) {}

void Canvas::plot(int x, int y) {
    if (x >= 0 && x < width_ && y >= 0 && y < height_) pixels_[index(x, y)] = pen_;
}

void Canvas::lineTo(int x, int y) {
    if (x == x_) {
        // Vertical: only the rows inside the picture matter, however far the
        // line reaches (a scaled bar can end thousands of rows away).
        const int step = y > y_ ? 1 : -1;
        const int from = std::clamp(y_, -1, height_);
        const int to = std::clamp(y, -1, height_);
        for (int cy = from; cy != to; cy += step) plot(x, cy);
        y_ = y;
        ++revision_;
        return;
    }
    // Bresenham from the current position; the end point is left out.
    const int dx = std::abs(x - x_), sx = x_ < x ? 1 : -1;
    const int dy = -std::abs(y - y_), sy = y_ < y ? 1 : -1;
    int err = dx + dy;
    int cx = x_, cy = y_;
    while (cx != x || cy != y) {
        plot(cx, cy);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            cx += sx;
        }
        if (e2 <= dx) {
            err += dx;
            cy += sy;
        }
    }
    x_ = x;
    y_ = y;
    ++revision_;
}

}  // namespace ulz
