#include "window/layout.h"

#include "window/texts.h"

#include <algorithm>

namespace chaos {

namespace {

ShownControl shown(const ControlSpec& c) {
    ShownControl control{c.name, c.kind, twipsToPixel(c.left), twipsToPixel(c.top), twipsToPixel(c.width),
                         twipsToPixel(c.height), c.text, c.accessibleName, c.names, {}, c.widest};
    control.items.assign(c.items, c.items + c.itemCount);
    return control;
}

} // namespace

ShownForm shownForm(const FormSpec& form) {
    ShownForm shown{form.caption, twipsToPixel(form.width), twipsToPixel(form.height), kFontPixels, kFrameColor,
                    kFocusColor, form.surfaceFrame, form.describedBy, {}, {}, {}, progressLine(kMaxDots, kMaxDots)};
    for (std::size_t row = 0; row < form.count; ++row) {
        shown.controls.push_back(chaos::shown(form.controls[row]));
        if (form.controls[row].tabIndex >= 0)
            shown.tabbing.push_back(static_cast<int>(row));
        else
            shown.creation.push_back(static_cast<int>(row));
    }
    std::stable_sort(shown.tabbing.begin(), shown.tabbing.end(),
                     [&](int a, int b) { return form.controls[a].tabIndex < form.controls[b].tabIndex; });
    shown.creation.insert(shown.creation.end(), shown.tabbing.begin(), shown.tabbing.end());
    return shown;
}

} // namespace chaos
