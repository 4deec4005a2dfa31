#include "window/draw_driver.h"

#include "window/texts.h"

#include <algorithm>
#include <cmath>

namespace chaos {

void DrawDriver::start() {
    passes = kFirstPasses;
    runUntil(host.clock.nowMs() + kDelayMs);
    if (!cloud.drawing())
        return finish();
    sliced = true;
    busy(true);
    const std::string line = progressLine(cloud.done(), cloud.total());
    host.progress.show(kTitle, line, kCancelText);
    host.progress.update(line, cloud.done(), cloud.total());
    show();
    refreshedMs = host.clock.nowMs();
    host.scheduler.callSoon();
}

void DrawDriver::tick() {
    if (!sliced)
        return;  // cancelled, or ended, since the call was asked for
    runUntil(host.clock.nowMs() + kSliceMs);
    if (!cloud.drawing())
        return finish();
    if (const double now = host.clock.nowMs(); now - refreshedMs >= kIntervalMs) {
        refreshedMs = now;
        host.progress.update(progressLine(cloud.done(), cloud.total()), cloud.done(), cloud.total());
        show();
    }
    host.scheduler.callSoon();
}

void DrawDriver::cancel() {
    if (!cloud.drawing())
        return;
    cloud.cancel();
    finish();
}

// Runs of passes until the draw ends or the time is up, each run as many
// passes as take about kSliceMs at the speed measured so far.
void DrawDriver::runUntil(double endMs) {
    dispatcher.run([&] {
        for (;;) {
            const double begin = host.clock.nowMs();
            const bool more = cloud.advance(passes);
            const double now = host.clock.nowMs(), took = now - begin;
            const double next = took > 0.5 ? std::floor(static_cast<double>(passes) * kSliceMs / took)
                                           : static_cast<double>(passes) * 2;
            passes = static_cast<std::uint64_t>(std::clamp(next, double(kFewestPasses), double(kMostPasses)));
            if (!more || now >= endMs)
                return;
        }
    });
}

void DrawDriver::finish() {
    if (sliced) {
        sliced = false;
        host.progress.hide();
        busy(false);
    }
    show();
}

} // namespace chaos
