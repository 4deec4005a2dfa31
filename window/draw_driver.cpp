#include "window/draw_driver.h"

#include "window/texts.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace chaos {

void DrawDriver::start() {
    passes = kFirstPasses;
    startedMs = host.clock.nowMs();
    runUntil(startedMs + kDelayMs, true);
    if (!cloud.drawing())
        return finish();
    if (host.clock.nowMs() < startedMs + kDelayMs) {  // held as a long draw, its progress not yet due
        early = true;
        busy(true);
        return next();
    }
    showProgress();
    next();
}

void DrawDriver::showProgress() {
    if (!std::exchange(early, false))
        busy(true);
    sliced = true;
    const std::string line = progressLine(cloud.done(), cloud.total());
    host.progress.show(kTitle, line, kCancelText);
    host.progress.update(line, cloud.done(), cloud.total());
    show();
    refreshedMs = host.clock.nowMs();
}

void DrawDriver::tick() {
    asked = later = false;
    if (!sliced && !early)
        return;  // cancelled, or ended, since the call was asked for
    runUntil(host.clock.nowMs() + kSliceMs, false);
    if (!cloud.drawing())
        return finish();
    if (const double now = host.clock.nowMs(); early) {
        if (now >= startedMs + kDelayMs)
            showProgress();
    } else if (now - refreshedMs >= kIntervalMs) {
        refreshedMs = now;
        host.progress.update(progressLine(cloud.done(), cloud.total()), cloud.done(), cloud.total());
        show();
    }
    next();
}

void DrawDriver::wake() {
    if ((sliced || early) && (!asked || later)) {
        asked = true;
        later = false;
        host.scheduler.callSoon();
    }
}

// The next slice; where only another core's answer can give it passes, at
// that answer, or once the progress is due.
void DrawDriver::next() {
    if (asked)
        return;
    asked = true;
    later = cloud.waitsForAnswers();
    if (!later)
        return host.scheduler.callSoon();
    const double due = early ? startedMs + kDelayMs : refreshedMs + kIntervalMs;
    host.scheduler.callAfter(std::max(0.0, due - host.clock.nowMs()));
}

void DrawDriver::cancel() {
    if (!cloud.drawing())
        return;
    cloud.cancel();
    finish();
}

// Runs of passes until the draw ends or the time is up, each run as many
// passes as take about kSliceMs at the speed measured so far.
void DrawDriver::runUntil(double endMs, bool held) {
    dispatcher.run([&] {
        for (;;) {
            const double begin = host.clock.nowMs();
            const bool more = cloud.advance(passes);
            const double now = host.clock.nowMs(), took = now - begin;
            const double next = took > 0.5 ? std::floor(static_cast<double>(passes) * kSliceMs / took)
                                           : static_cast<double>(passes) * 2;
            passes = static_cast<std::uint64_t>(std::clamp(next, double(kFewestPasses), double(kMostPasses)));
            if (!more || now >= endMs || (held ? cloud.awaitsAnswers() : cloud.waitsForAnswers()))
                return;
        }
    });
}

void DrawDriver::finish() {
    if (std::exchange(early, false))
        busy(false);
    if (sliced) {
        sliced = false;
        host.progress.hide();
        busy(false);
    }
    show();
}

} // namespace chaos
