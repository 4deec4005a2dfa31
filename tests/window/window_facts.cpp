// Writes the window's facts that the tests check against, from the code:
//   chaosgame_window_facts --header FILE
//     a C++ header for the tests of every layer (tests/facts.h includes it):
//     the drawing surface's place in twips, its area in pixels at 96 dpi, and
//     the anchors' circles' radius in twips and in pixels at 96 dpi;
//   chaosgame_window_facts RATIO
//     for the real-window tests (tests/e2e/xsession.sh), one line: the
//     surface's place in the window and its frame in logical pixels, and at
//     that device pixel ratio the drawing area's size and the circles' radius
//     in device pixels: LEFT TOP FRAME AREA_WIDTH AREA_HEIGHT RADIUS.
// Each radius in pixels is measured on a circle drawn as the window draws it.

#include "core/point_cloud.h"
#include "window/form2.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace chaos;

// The drawing area at `dpi`, with one anchor's circle drawn in its middle.
struct Area {
    explicit Area(int dpi) : surface(surfacePlacement(), drawingArea(), dpi) {
        const float centre = static_cast<float>(drawingArea().width) / 2;
        surface.Circle(centre, centre, PointCloud::kMarkerRadius, kRed);
        const int row = twipsToPixel(centre, dpi);
        int first = surface.pixelWidth(), last = -1;
        for (int x = 0; x < surface.pixelWidth(); ++x)
            if (surface.bits()[static_cast<std::size_t>(row) * surface.pixelWidth() + x] == toPixel(kRed)) {
                first = std::min(first, x);
                last = x;
            }
        radius = last < 0 ? -1 : (last - first) / 2;
    }
    RasterSurface surface;
    int radius;
};

int header(const char* path) {
    const Area area(kLogicalDpi);
    const RasterSurface::Placement place = surfacePlacement();
    std::FILE* out = std::fopen(path, "w");
    if (!out || area.radius < 0)
        return EXIT_FAILURE;
    std::fprintf(out,
                 "// Written by chaosgame_window_facts (tests/window/window_facts.cpp) from the window's code.\n"
                 "#pragma once\n\n"
                 "namespace chaos::testing::written {\n"
                 "inline constexpr float kSurfaceLeft = %g, kSurfaceTop = %g, kSurfaceWidth = %g, kSurfaceHeight = %g;\n"
                 "inline constexpr int kAreaWidth = %d, kAreaHeight = %d;\n"
                 "inline constexpr float kCircleRadius = %g;\n"
                 "inline constexpr int kCirclePixels = %d;\n"
                 "} // namespace chaos::testing::written\n",
                 place.left, place.top, place.width, place.height, area.surface.pixelWidth(), area.surface.pixelHeight(),
                 PointCloud::kMarkerRadius, area.radius);
    return std::fclose(out) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

int screen(double ratio) {
    const ShownForm& form = Form2::description();
    const ShownControl& box = form.controls[kBox];
    const Area area(dpiOf(ratio));
    std::printf("%d %d %d %d %d %d\n", box.left, box.top, form.surfaceFrame, area.surface.pixelWidth(),
                area.surface.pixelHeight(), area.radius);
    return area.radius < 0 ? EXIT_FAILURE : EXIT_SUCCESS;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::string(argv[1]) == "--header")
        return header(argv[2]);
    if (argc == 2)
        return screen(std::atof(argv[1]));
    std::fprintf(stderr, "usage: chaosgame_window_facts --header FILE | RATIO\n");
    return EXIT_FAILURE;
}
