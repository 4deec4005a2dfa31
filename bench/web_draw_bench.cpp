// Speed of the draw in a WebAssembly build, under node (V8, as in Chromium):
// the production path (PointCloud on the raster surface with FastRandom) with
// each code path the build can run, in millions of dots a second: the median
// of 5 draws and the best (the best is the steadier figure on a busy machine).
//   em++ -std=c++20 -O3 -msimd128 -I. core/*.cpp platform/*.cpp bench/web_draw_bench.cpp \
//       -sSINGLE_FILE=1 -o web_draw_bench.js && node web_draw_bench.js [dots...]
// Times are the process's CPU time (node's process.cpuUsage), steadier than
// the clock on a machine shared with other work. scripts/bench.sh measures
// the page itself in Chromium; this is the quick loop.
#include "core/point_cloud.h"
#include "platform/fast_random.h"
#include "platform/raster_surface.h"
#include "window/layout.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

EM_JS(double, cpuSeconds, (), { const t = process.cpuUsage(); return (t.user + t.system) / 1e6; });

namespace {

using namespace chaos;

class Count : public ControlText {
public:
    explicit Count(long long n) : text(std::to_string(n)) {}
    std::string Text() const override { return text; }

private:
    std::string text;
};

// Seconds for one draw of n dots around a triangle, the window's area.
double drawSeconds(long long n, Simd simd) {
    RasterSurface surface(surfacePlacement(), drawingAreaPixels(kForm2Layout[kBox].width),
                          drawingAreaPixels(kForm2Layout[kBox].height));
    surface.useSimd(simd);
    FastRandom random;
    random.useSimd(simd);
    AnchorStore anchors;
    Count count(n);
    const Color dotColor = 0;
    PointCloud handler(anchors, surface, random, count, dotColor);
    for (const auto& a : {std::pair{900.0f, 6900.0f}, {7500.0f, 6900.0f}, {4200.0f, 600.0f}})
        handler.box_MouseDown(kLeftButton, 0, a.first, a.second);
    const double start = cpuSeconds();
    handler.box_MouseDown(kRightButton, 0, 0, 0);
    volatile std::uint32_t sink = surface.bits()[0];
    (void)sink;
    return cpuSeconds() - start;
}

// Seconds to fill n random values, 8192 at a time as the draw does.
double fillSeconds(long long n, Simd simd) {
    FastRandom random;
    random.useSimd(simd);
    static float values[8192];
    const double start = cpuSeconds();
    for (long long done = 0; done < n; done += 8192)
        random.fill(values, 8192);
    volatile float sink = values[0];
    (void)sink;
    return cpuSeconds() - start;
}

} // namespace

int main(int argc, char* argv[]) {
    std::vector<long long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoll(argv[i]));
    if (sizes.empty())
        sizes = {1'000'000, 100'000'000};
    std::printf("%-10s %-12s %10s %10s %12s\n", "path", "dots", "draw M/s", "best", "random M/s");
    for (Simd simd : simdHere())
        for (long long n : sizes) {
            std::vector<double> draw, fill;
            for (int rep = 0; rep < 5; ++rep) {
                draw.push_back(n / drawSeconds(n, simd) / 1e6);
                fill.push_back(n / fillSeconds(n, simd) / 1e6);
            }
            std::sort(draw.begin(), draw.end());
            std::sort(fill.begin(), fill.end());
            std::printf("%-10s %-12lld %10.1f %10.1f %12.1f\n", simdName(simd), n, draw[2], draw[4], fill[2]);
        }
    return 0;
}
