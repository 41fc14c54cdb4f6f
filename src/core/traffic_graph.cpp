// The traffic graph: download bars overlaid by the test transfer's share, the
// upload line, the rate line under the graph, the vertical scale and the unit.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/app.h"
#include "core/fixed_arith.h"
#include "core/main_form.h"
#include "core/number_text.h"

namespace ulz {
namespace {

constexpr Rgb kBarGreen{0, 206, 0};
constexpr Rgb kFtpRed{255, 0, 0};
constexpr Rgb kUploadBlue{0, 0, 255};
constexpr int kColumns = 400;
// Slots averaged into one column at most: the longest span (3600) gives 9,
// and 10 still reads no further than the history's last slot.
constexpr int kMaxSlotsPerColumn = kTrafficHistorySize / kColumns;

std::string numberText(long double x) {
    return floatToStr(static_cast<double>(x));
}

// From the pen's position (x0, y0) to (x0 - 1, y1), the same pixels as
// Canvas::lineTo, drawn as its two vertical runs. A step of one column can
// span millions of rows when a value lies far above the scale; lineTo would
// walk every one of them, the vertical runs are clipped to the picture.
void stepLeft(Canvas& canvas, int x0, int y0, int y1) {
    const std::int64_t rows = std::llabs(static_cast<std::int64_t>(y1) - y0);
    const int dir = y1 > y0 ? 1 : -1;
    if (rows == 0) {
        canvas.moveTo(x0, y0);
        canvas.lineTo(x0, y0 + 1);  // the start point alone
    } else {
        // The line leaves column x0 after half of its rows (rounded down) and
        // steps diagonally into column x0 - 1.
        const auto half = static_cast<int>((rows - 1) / 2);
        const int turn = y0 + dir * (half + 1);
        canvas.moveTo(x0, y0);
        canvas.lineTo(x0, turn);
        canvas.moveTo(x0 - 1, turn);
        canvas.lineTo(x0 - 1, y1);
    }
    canvas.moveTo(x0 - 1, y1);
}

}  // namespace

void MainForm::tmTGraphTimer() {
    const TrafficState& t = traffic;
    const int w = trafgraph.width();
    const int h = trafgraph.height();
    const int ratio = std::clamp(tbHechT.position / w, 1, kMaxSlotsPerColumn);

    if (!t.skipSample) {
        const std::int32_t u = t.unitFactor;
        const long double pd = floorViaDouble(81920.0L * t.dlSample / app_.Opts.downRate()) / 10;
        const long double pu = floorViaDouble(81920.0L * t.ulSample / app_.Opts.upRate()) / 10;
        const long double ad = static_cast<long double>(u) * t.dlSample / 100;
        const long double au = static_cast<long double>(u) * t.ulSample / 100;
        // Centred in its band by the window, which knows the font.
        lbTraffic.caption = "DL : " + numberText(ad) + t.unitText + " (" + numberText(pd) +
                            "%)  UL : " + numberText(au) + t.unitText + " (" + numberText(pu) +
                            "%)";
    }

    std::array<std::array<std::int32_t, kColumns>, 3> columns{};
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const auto& slots = t.trafHist[k];
        for (int i = 0; i < kColumns; ++i) {
            std::int64_t sum = 0;
            for (int a = 0; a < ratio; ++a) sum += slots[static_cast<std::size_t>(i * ratio + a)];
            columns[k][static_cast<std::size_t>(i)] = static_cast<std::int32_t>(sum / ratio);
        }
    }
    const auto y = [&](std::int32_t v) {
        return truncateToInt32(heightMinusScaled(h, v, t.trafScale));
    };

    for (int i = 0; i < kColumns; ++i) {
        const int x = w - 1 - i;
        const std::int32_t f = columns[kFtpSeries][static_cast<std::size_t>(i)];
        const std::int32_t d = columns[kDownloadSeries][static_cast<std::size_t>(i)];
        trafgraph.moveTo(x, h);
        if (f <= 0) {
            trafgraph.setPenColor(kBarGreen);
            trafgraph.lineTo(x, y(d));
        } else if (f > d) {
            trafgraph.setPenColor(kBarGreen);
            trafgraph.lineTo(x, y(d));
            trafgraph.setPenColor(kFtpRed);
            trafgraph.lineTo(x, y(f));
        } else {
            trafgraph.setPenColor(kFtpRed);
            trafgraph.lineTo(x, y(f));
            trafgraph.setPenColor(kBarGreen);
            trafgraph.lineTo(x, y(d));
        }
        trafgraph.setPenColor(shape2Brush);
        trafgraph.lineTo(x, -1);
    }

    trafgraph.setPenColor(kUploadBlue);
    int penY = h;
    for (int i = 0; i < kColumns; ++i) {
        const int next = y(columns[kUploadSeries][static_cast<std::size_t>(i)]);
        stepLeft(trafgraph, w - i, penY, next);
        penY = next;
    }
}

void MainForm::tbEchTChange() {
    const std::int32_t position = tbEchT.position;
    traffic.trafScale = storeSingle(trafgraph.height() / (static_cast<long double>(position) * 10));
    tmTGraphTimer();
    Label23.caption =
        numberText(static_cast<long double>(traffic.unitFactor) * position / 10) + traffic.unitText;
}

}  // namespace ulz
