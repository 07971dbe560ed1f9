#pragma once

namespace foundation {

// Monotonic time in seconds. The run loop's timers and the layers' animations both read it here,
// so a test can put a ManualClock in its place and move time by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;

    static Clock& current();
    // The clock to use from now on; nullptr puts the system's monotonic clock back.
    static void setCurrent(Clock* clock);
};

class SystemClock final : public Clock {
public:
    double now() const override;
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(double start = 1000.0) : now_(start) {}
    double now() const override { return now_; }
    void advance(double seconds) { now_ += seconds; }

private:
    double now_;
};

// Puts a manual clock in place for the lifetime of this object.
class ScopedManualClock {
public:
    ScopedManualClock() { Clock::setCurrent(&clock_); }
    ~ScopedManualClock() { Clock::setCurrent(nullptr); }
    ScopedManualClock(const ScopedManualClock&) = delete;
    ScopedManualClock& operator=(const ScopedManualClock&) = delete;

    ManualClock& operator*() { return clock_; }
    ManualClock* operator->() { return &clock_; }

private:
    ManualClock clock_;
};

} // namespace foundation
