#include "platform/progress_watch.h"

namespace chaos {

void ProgressWatch::started(std::uint64_t totalDots) {
    total = totalDots;
    shown = false;
    lastRefresh = now();
}

bool ProgressWatch::keepGoing(std::uint64_t done) {
    const Clock::time_point t = now();
    if (t - lastRefresh < (shown ? interval : delay))
        return true;
    lastRefresh = t;
    if (!shown) {
        view.show(total);
        shown = true;
    }
    return view.update(done);
}

void ProgressWatch::finished() {
    if (shown)
        view.hide();
    shown = false;
}

} // namespace chaos
