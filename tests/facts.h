#pragma once

// The window's facts that the window's and the runtimes' tests check
// against, taken from the code: the drawing surface's place, its area at a
// density, the anchors' circles and the colour list. (The core's and the
// platform's tests give their surfaces places of their own.)

#include "core/point_cloud.h"
#include "window/layout.h"

namespace chaos::testing {

inline constexpr RasterSurface::Placement kSurfacePlace = surfacePlacement();
// The drawing area in pixels at 96 dpi, and at another density.
inline constexpr int kAreaWidth = drawingAreaPixels(kForm2Layout[kBox].width);
inline constexpr int kAreaHeight = drawingAreaPixels(kForm2Layout[kBox].height);
inline constexpr int kAreaPixels = kAreaWidth * kAreaHeight;
inline constexpr int areaWidthAt(int dpi) { return twipsToPixel(drawingArea().width, dpi); }
inline constexpr int areaHeightAt(int dpi) { return twipsToPixel(drawingArea().height, dpi); }
// An anchor's circle: its radius in twips, and its colour.
inline constexpr float kCircleRadius = PointCloud::kMarkerRadius;
inline constexpr Color kCircleColor = kRed;

} // namespace chaos::testing
