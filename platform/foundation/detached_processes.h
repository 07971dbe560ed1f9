#pragma once

#include "platform/foundation/run_loop.h"

#include <cstddef>
#include <deque>
#include <string>
#include <sys/types.h>
#include <vector>

namespace foundation {

// Programs started and never waited for. Each starts clean: standard streams on /dev/null, no
// other descriptor of ours, default signal dispositions, an empty signal mask, a session of its
// own. A finished one is reaped from the main run loop in the turn it ends, through one descriptor
// per running program; so that those stay few, at most `limit` run at once and the rest wait their
// turn, in order.
class DetachedProcesses {
public:
    enum class ProgramLookup { onPATH, exactPath };
    struct Program {
        std::vector<std::string> arguments; // the first names the program
        ProgramLookup lookup = ProgramLookup::onPATH;
    };

    // The programs this process starts; its descriptors bound how many may run at once.
    static DetachedProcesses& shared();

    explicit DetachedProcesses(std::size_t limit);
    // Programs still running are left to the system; those still waiting are never started.
    ~DetachedProcesses();
    DetachedProcesses(const DetachedProcesses&) = delete;
    DetachedProcesses& operator=(const DetachedProcesses&) = delete;

    // Starts the program at once, however many run: 0 once it runs, else the error number.
    int startNow(const Program& program);
    // Starts it now when fewer than the limit run, else once enough have ended. Until then it
    // keeps the main run loop running. 0 once it runs or waits, else the error number.
    int startInTurn(Program program);

private:
    struct Running {
        pid_t pid;
        int exitSignal; // a pidfd, readable once the program has ended
        RunLoop::WatchId watch;
    };

    static constexpr std::size_t sharedLimit = 16;

    void track(pid_t pid);
    void reap(pid_t pid);
    void startWaiting();
    RunLoop::Lifetime lifetime() const;
    void updateLifetimes();

    std::size_t limit_;
    std::vector<Running> running_;
    std::deque<Program> waiting_;
};

} // namespace foundation
