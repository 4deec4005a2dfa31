#pragma once

#include "core/point_cloud.h"
#include "platform/dispatch.h"
#include "platform/host.h"

#include <cstdint>
#include <functional>

namespace chaos {

// Runs a started draw from the event loop, the same way in every runtime.
// The first slice holds the window until the draw ends or has run kDelayMs,
// so that a short draw is on screen at once and what the user did meanwhile
// is handled after it. A longer draw then goes on in slices of about
// kSliceMs, called back by the Scheduler, with the progress dialog showing
// the dots done and the surface the dots so far, refreshed every
// kIntervalMs; cancel() stops it at once, keeping its dots and the anchors.
// Where other cores answer through the event loop (the page's workers), the
// first slice ends once they hold passes, and the draw goes on in slices as
// soon as it can, holding the window's controls but showing nothing new
// until kDelayMs have passed; a slice
// with nothing to run waits for their answer (wake()), or until the
// progress is due.
class DrawDriver {
public:
    static constexpr double kDelayMs = 500;
    static constexpr double kIntervalMs = 40;
    static constexpr double kSliceMs = 8;
    // Passes in the first run of a slice, and the least and most in one run;
    // in between, the runs follow the measured speed.
    static constexpr std::uint64_t kFirstPasses = 200000, kFewestPasses = 1000, kMostPasses = 100000000;

    // `busy` is told when a draw starts to hold the window's controls off,
    // and when it no longer does; `show` puts the surface's picture on screen.
    DrawDriver(PointCloud& cloud, const Host& host, Dispatcher& dispatcher, std::function<void(bool)> busy,
               std::function<void()> show)
        : cloud(cloud), host(host), dispatcher(dispatcher), busy(std::move(busy)), show(std::move(show)) {}

    // After a press has started a draw.
    void start();
    void tick();
    void cancel();
    // Another core answered.
    void wake();
    // Whether the progress dialog shows (the draw runs in slices).
    bool inSlices() const { return sliced; }

private:
    // `held`: the first slice, which ends early once other cores hold passes.
    void runUntil(double endMs, bool held);
    void showProgress();
    void next();
    void finish();

    PointCloud& cloud;
    Host host;
    Dispatcher& dispatcher;
    std::function<void(bool)> busy;
    std::function<void()> show;
    std::uint64_t passes = kFirstPasses;
    double refreshedMs = 0, startedMs = 0;
    bool sliced = false;
    bool early = false;  // in slices, the progress not yet shown
    bool asked = false;  // a Scheduler's call is due
    bool later = false;  // and it comes after a while
};

// Messengers whose every answer also wakes a draw's driver.
class WakingMessengers final : public Messengers {
public:
    WakingMessengers(Messengers& messengers, DrawDriver& driver) : messengers(messengers), driver(driver) {}
    int count() const override { return messengers.count(); }
    void send(std::vector<std::uint8_t> request,
              std::function<void(const std::uint8_t*, std::size_t)> answered) override {
        messengers.send(std::move(request), [&driver = driver, answered = std::move(answered)](const std::uint8_t* answer,
                                                                                               std::size_t bytes) {
            answered(answer, bytes);
            driver.wake();
        });
    }

private:
    Messengers& messengers;
    DrawDriver& driver;
};

} // namespace chaos
