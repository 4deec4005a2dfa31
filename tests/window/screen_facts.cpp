// Prints the window's facts that the real-window tests check the screen
// against, at a device pixel ratio, from the code: the surface's place in
// the window and its frame (logical pixels), and at that ratio the drawing
// area's size and the anchors' circles' radius (device pixels, the radius
// measured on a circle drawn as the window draws it).
// Usage: chaosgame_screen_facts RATIO
//   prints: LEFT TOP FRAME AREA_WIDTH AREA_HEIGHT RADIUS

#include "core/point_cloud.h"
#include "window/form2.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    using namespace chaos;
    const double ratio = argc > 1 ? std::atof(argv[1]) : 1.0;
    const ShownForm& form = Form2::description();
    const ShownControl& box = form.controls[kBox];
    RasterSurface surface(surfacePlacement(), drawingArea(), dpiOf(ratio));
    const float centre = static_cast<float>(drawingArea().width) / 2;
    surface.Circle(centre, centre, PointCloud::kMarkerRadius, kRed);
    const int row = twipsToPixel(centre, dpiOf(ratio));
    int first = surface.pixelWidth(), last = -1;
    for (int x = 0; x < surface.pixelWidth(); ++x)
        if (surface.bits()[static_cast<std::size_t>(row) * surface.pixelWidth() + x] == toPixel(kRed)) {
            first = std::min(first, x);
            last = x;
        }
    std::printf("%d %d %d %d %d %d\n", box.left, box.top, form.surfaceFrame, surface.pixelWidth(), surface.pixelHeight(),
                (last - first) / 2);
    return last < 0 ? EXIT_FAILURE : EXIT_SUCCESS;
}
