#include "platform/foundation/detached_processes.h"

#include <algorithm>
#include <cassert>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace foundation {

namespace {

// A browser may start the host with SIGPIPE ignored, signals blocked and a pipe of its own open;
// none of that belongs to the programs the host starts.
class SpawnSettings {
public:
    SpawnSettings() {
        ::posix_spawn_file_actions_init(&actions_);
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null",
                                               fd == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
        ::posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
        ::posix_spawnattr_init(&attributes_);
        sigset_t all;
        sigset_t none;
        ::sigfillset(&all);
        ::sigemptyset(&none);
        ::posix_spawnattr_setsigdefault(&attributes_, &all);
        ::posix_spawnattr_setsigmask(&attributes_, &none);
        ::posix_spawnattr_setflags(&attributes_,
                                   POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnSettings() {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attributes_);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    const posix_spawn_file_actions_t* actions() const { return &actions_; }
    const posix_spawnattr_t* attributes() const { return &attributes_; }

private:
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attributes_{};
};

int spawn(const DetachedProcesses::Program& program, pid_t& pid) {
    std::vector<char*> argv;
    argv.reserve(program.arguments.size() + 1);
    for (const auto& argument : program.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    SpawnSettings settings;
    auto start = program.lookup == DetachedProcesses::ProgramLookup::onPATH ? ::posix_spawnp : ::posix_spawn;
    return start(&pid, argv[0], settings.actions(), settings.attributes(), argv.data(), environ);
}

} // namespace

DetachedProcesses& DetachedProcesses::shared() {
    // Never destroyed: the main run loop, which its watches are on, may be gone first.
    static auto* processes = new DetachedProcesses(sharedLimit);
    return *processes;
}

DetachedProcesses::DetachedProcesses(std::size_t limit) : limit_(limit) {
    assert(limit > 0);
}

DetachedProcesses::~DetachedProcesses() {
    for (const Running& program : running_) {
        RunLoop::main().removeWatch(program.watch);
        ::close(program.exitSignal);
    }
}

int DetachedProcesses::startNow(const Program& program) {
    pid_t pid = 0;
    if (int failure = spawn(program, pid))
        return failure;
    track(pid);
    return 0;
}

int DetachedProcesses::startInTurn(Program program) {
    if (running_.size() < limit_)
        return startNow(program);
    waiting_.push_back(std::move(program));
    updateLifetimes();
    return 0;
}

// Without pidfds (kernels before 5.3) a program is not followed: the system reaps it once this
// process has ended.
void DetachedProcesses::track(pid_t pid) {
    int exitSignal = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (exitSignal < 0)
        return;
    auto watch = RunLoop::main().addReadabilityWatch(
        exitSignal, [this, pid] { reap(pid); }, lifetime());
    running_.push_back({pid, exitSignal, watch});
}

void DetachedProcesses::reap(pid_t pid) {
    auto program = std::find_if(running_.begin(), running_.end(),
                                [pid](const Running& running) { return running.pid == pid; });
    if (program == running_.end())
        return;
    ::waitpid(pid, nullptr, WNOHANG);
    ::close(program->exitSignal);
    RunLoop::main().removeWatch(program->watch);
    running_.erase(program);
    startWaiting();
    updateLifetimes();
}

// A waiting program that cannot start has nobody left to tell: the next one goes.
void DetachedProcesses::startWaiting() {
    while (!waiting_.empty() && running_.size() < limit_) {
        Program next = std::move(waiting_.front());
        waiting_.pop_front();
        startNow(next);
    }
}

// Only programs still to start keep the loop running; one that runs may run for minutes (a
// browser in the foreground) and is not waited for.
RunLoop::Lifetime DetachedProcesses::lifetime() const {
    return waiting_.empty() ? RunLoop::Lifetime::background : RunLoop::Lifetime::keepsLoopRunning;
}

void DetachedProcesses::updateLifetimes() {
    for (const Running& program : running_)
        RunLoop::main().setWatchLifetime(program.watch, lifetime());
}

} // namespace foundation
