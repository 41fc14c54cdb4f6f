// A persistent picture with the drawing operations the graphs use: a pen
// colour, move-to and line-to. The window shows its pixels as they are.
#pragma once

#include <cstdint>
#include <vector>

#include "core/controls.h"

namespace ulz {

class Canvas {
public:
    Canvas(int width, int height, Rgb fill = {255, 255, 255});

    int width() const { return width_; }
    int height() const { return height_; }

    void setPenColor(Rgb color) { pen_ = color; }
    void moveTo(int x, int y) {
        x_ = x;
        y_ = y;
    }
    // Draws a line of width 1 from the current position to (x, y), without
    // the end point itself, and moves there. Whatever falls outside is clipped.
    void lineTo(int x, int y);

    Rgb pixel(int x, int y) const { return pixels_[index(x, y)]; }
    const std::vector<Rgb>& pixels() const { return pixels_; }
    // Grows at every drawing, so a view redraws only when something changed.
    std::uint64_t revision() const { return revision_; }

private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }
    void plot(int x, int y);

    int width_, height_;
    std::vector<Rgb> pixels_;
    Rgb pen_{0, 0, 0};
    int x_ = 0, y_ = 0;
    std::uint64_t revision_ = 0;
};

}  // namespace ulz
