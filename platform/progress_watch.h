#pragma once

#include "platform/interfaces.h"

#include <chrono>
#include <cstdint>

namespace chaos {

// Where a long draw shows how far it is: a progress indicator with a way to
// cancel.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void show(std::uint64_t total) = 0;
    // Shows the dots done and lets the user act; false once the user cancelled.
    virtual bool update(std::uint64_t done) = 0;
    virtual void hide() = 0;
};

// Keeps a draw quiet while it is short: the view appears only once the draw
// has run for `delay`, and is then refreshed every `interval`. Between
// refreshes a check costs one reading of the clock.
class ProgressWatch final : public DrawProgress {
public:
    using Clock = std::chrono::steady_clock;
    using Now = Clock::time_point (*)();

    static constexpr std::chrono::milliseconds kDelay{500};
    static constexpr std::chrono::milliseconds kInterval{40};

    explicit ProgressWatch(ProgressView& view, Now now = &Clock::now,
                           Clock::duration delay = kDelay, Clock::duration interval = kInterval)
        : view(view), now(now), delay(delay), interval(interval) {}

    void started(std::uint64_t totalDots) override;
    bool keepGoing(std::uint64_t done) override;
    void finished() override;

private:
    ProgressView& view;
    Now now;
    Clock::duration delay;
    Clock::duration interval;
    Clock::time_point lastRefresh{};
    std::uint64_t total = 0;
    bool shown = false;
};

} // namespace chaos
