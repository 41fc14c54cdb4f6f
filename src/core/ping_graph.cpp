// The ping graph: one bar per column, newest sample at the right edge.
#include <array>

#include "core/fixed_arith.h"
#include "core/main_form.h"

namespace ulz {
namespace {

constexpr Rgb kYellow{255, 255, 0};
constexpr int kColumns = 400;

}  // namespace

void MainForm::tmGraphTimer() {
    const int w = pingraph.width();
    const int h = pingraph.height();
    const int ratio = tbHech.position / w;
    const auto& samples = ping.pingSamples;

    std::array<std::int32_t, kColumns> columns{};
    for (int i = 0; i < kColumns; ++i) {
        std::int64_t sum = 0;
        for (int k = i * ratio; k < i * ratio + ratio; ++k)
            sum += samples[static_cast<std::size_t>(k)];
        columns[static_cast<std::size_t>(i)] =
            ratio > 0 ? static_cast<std::int32_t>(sum / ratio) : 0;
    }

    for (int i = 0; i < kColumns; ++i) {
        const int x = w - 1 - i;
        const std::int32_t c = columns[static_cast<std::size_t>(i)];
        pingraph.setPenColor(c <= 50 ? kGreen : c <= 100 ? kYellow : kRed);
        const std::int32_t y = truncateToInt32(heightMinusScaled(h, c, ping.graphScale));
        pingraph.moveTo(x, h);
        pingraph.lineTo(x, y);
        pingraph.setPenColor(shape1Brush);
        pingraph.lineTo(x, -1);
    }
}

void MainForm::tbEchChange() {
    ping.graphScale = static_cast<float>((pingraph.height() + 0.0) / (tbEch.position * 10 + 0.0));
    tmGraphTimer();
}

void MainForm::tbHechChange() {
    tmGraphTimer();
}

}  // namespace ulz
