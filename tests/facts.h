#pragma once

// The window's facts that the window's and the runtimes' tests check
// against, taken from the code: the drawing surface's place and its area.
// (The core's and the platform's tests give their surfaces places of their
// own: they may not know the window.)

#include "window/layout.h"

namespace chaos::testing {

inline constexpr RasterSurface::Placement kSurfacePlace = surfacePlacement();
// The drawing area in pixels at 96 dpi.
inline constexpr int kAreaWidth = drawingAreaPixels(kForm2Layout[kBox].width);
inline constexpr int kAreaHeight = drawingAreaPixels(kForm2Layout[kBox].height);
inline constexpr int kAreaPixels = kAreaWidth * kAreaHeight;

} // namespace chaos::testing
