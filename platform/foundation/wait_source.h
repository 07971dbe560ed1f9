#pragma once

#include <poll.h>
#include <span>
#include <vector>

namespace foundation {

// A source of readiness whose descriptors change from turn to turn, such as another library's
// main context. Before each wait of the run loop it names the descriptors to poll and how long it
// lets the loop wait; after the wait it sees what poll found. It never keeps the loop running.
class WaitSource {
public:
    virtual ~WaitSource() = default;
    // Appends its descriptors; returns the longest wait it allows in milliseconds, -1 for any.
    virtual int prepareToWait(std::vector<pollfd>& descriptors) = 0;
    // Its descriptors as poll left them, in the order it appended them; called after every
    // prepareToWait, also when the wait found nothing.
    virtual void waitEnded(std::span<const pollfd> descriptors) = 0;
};

} // namespace foundation
