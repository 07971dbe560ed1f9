#pragma once

#include <functional>
#include <memory>

namespace foundation {

enum class RunLoopMode;

// A timer on the main run loop. It fires only while the loop runs in its default mode, unless it
// was scheduled for the common modes (as a window's frame timer is, so that frames go on while the
// mouse is tracked). A scheduled timer is kept by the run loop, and keeps its target (or its
// block) alive, until it fires for the last time or is invalidated.
class Timer : public std::enable_shared_from_this<Timer> {
public:
    using Block = std::function<void(Timer&)>;
    enum class Modes { defaultMode, common };

    static std::shared_ptr<Timer> scheduledTimer(double interval, bool repeats, Block block,
                                                 Modes modes = Modes::defaultMode);
    // The target's action runs with the timer, like a selector sent to the target.
    template <typename Target>
    static std::shared_ptr<Timer> scheduledTimer(double interval, std::shared_ptr<Target> target,
                                                 void (Target::*action)(Timer&), bool repeats) {
        return scheduledTimer(interval, repeats, [target = std::move(target), action](Timer& timer) {
            ((*target).*action)(timer);
        });
    }

    void invalidate();
    bool isValid() const { return valid_; }
    double fireDate() const { return fireDate_; }
    bool firesIn(RunLoopMode mode) const;

    // Called by the run loop when the fire date has come.
    void fire(double now);

    Timer(double interval, bool repeats, Block block, double now);

private:
    double interval_;
    bool repeats_;
    Block block_;
    double fireDate_;
    bool valid_ = true;
    Modes modes_ = Modes::defaultMode;
};

} // namespace foundation
