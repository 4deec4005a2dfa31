#pragma once

// The window's facts that the tests of every layer check against, as the
// build wrote them from the window's code (tests/window/window_facts.cpp):
// the drawing surface's place, its area and the anchors' circles' radius.
// (The core's and the platform's tests may not include the window; they
// read its facts here.)

#include "platform/raster_surface.h"
#include "window_facts.h"  // written by the build

namespace chaos::testing {

inline constexpr RasterSurface::Placement kSurfacePlace{written::kSurfaceLeft, written::kSurfaceTop,
                                                        written::kSurfaceWidth, written::kSurfaceHeight};
// The drawing area in pixels at 96 dpi.
inline constexpr int kAreaWidth = written::kAreaWidth;
inline constexpr int kAreaHeight = written::kAreaHeight;
inline constexpr int kAreaPixels = kAreaWidth * kAreaHeight;
// The anchors' circles' radius, in twips and in pixels at 96 dpi.
inline constexpr float kCircleRadius = written::kCircleRadius;
inline constexpr int kCirclePixels = written::kCirclePixels;

} // namespace chaos::testing
