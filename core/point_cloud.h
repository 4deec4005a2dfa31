#pragma once

// The core calls out only through the interfaces in platform/ and never
// includes a toolkit.

#include "core/anchor_store.h"
#include "platform/interfaces.h"

#include <cstdint>

namespace chaos {

// Mouse buttons and modifier keys as a press delivers them.
enum MouseButton : std::int16_t { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum ShiftMask : std::int16_t { kShift = 1, kCtrl = 2, kAlt = 4 };

// The drawing surface's mouse handling: a left press places an anchor and
// marks it with a red circle; a right press draws the point cloud of the
// chaos game around the anchors and then forgets them.
class PointCloud {
public:
    static constexpr float kMarkerRadius = 75.0f;  // twips: 5 pixels
    static constexpr Color kMarkerColor = kRed;

    // Everything is owned by the window and outlives this handler; `sel` is
    // the count box, `dotColor` the colour of the dots.
    PointCloud(AnchorStore& anchors, Surface& box, RandomSource& random, const ControlText& sel,
               const Color& dotColor)
        : anchors(anchors), box(box), random(random), sel(sel), dotColor(dotColor) {}

    // Reports long draws and lets the user cancel them; nullptr for none.
    void setProgress(DrawProgress* watcher) { progress = watcher; }

    // One press over the surface: Button 1 left, 2 right, 4 middle; Shift
    // the modifier mask; X, Y in twips from the drawing area's top-left.
    void box_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);

private:
    void placeAnchor(float x, float y);
    void drawPointCloud();
    // Runs the passes from the start point; false when the user cancelled.
    bool runPasses(float startX, float startY, std::uint32_t passes);

    AnchorStore& anchors;
    Surface& box;
    RandomSource& random;
    const ControlText& sel;
    const Color& dotColor;
    DrawProgress* progress = nullptr;
};

} // namespace chaos
