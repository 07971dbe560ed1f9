#include "platform/foundation/workspace.h"

#include "platform/foundation/run_loop.h"

#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace foundation {

namespace {

#ifdef __APPLE__
constexpr const char* defaultOpener = "open";
#else
constexpr const char* defaultOpener = "xdg-open";
#endif

class SpawnSettings {
public:
    SpawnSettings() {
        ::posix_spawn_file_actions_init(&actions_);
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null",
                                               fd == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
        ::posix_spawnattr_init(&attributes_);
        ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSID);
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

// Reaps the child once it ends, from the run loop, without keeping the loop alive; a child still
// running when the process ends is reaped by the system instead.
void reapWhenFinished(pid_t child) {
    int exitSignal = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    if (exitSignal < 0)
        return;
    auto& loop = RunLoop::main();
    auto watch = std::make_shared<RunLoop::WatchId>();
    *watch = loop.addReadabilityWatch(
        exitSignal,
        [child, exitSignal, watch] {
            ::waitpid(child, nullptr, WNOHANG);
            ::close(exitSignal);
            RunLoop::main().removeWatch(*watch);
        },
        RunLoop::Lifetime::background);
}

} // namespace

Workspace& Workspace::sharedWorkspace() {
    static Workspace workspace(defaultOpener);
    return workspace;
}

Workspace::Workspace(std::string openerProgram) : openerProgram_(std::move(openerProgram)) {}

bool Workspace::openURL(const URL& url) {
    if (!url.hasScheme())
        return false;
    return runOpener(url);
}

bool Workspace::runOpener(const URL& url) {
    return spawnDetached({openerProgram_, url.absoluteString()}, ProgramLookup::onPATH) == 0;
}

int Workspace::spawnDetached(const std::vector<std::string>& arguments, ProgramLookup lookup) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    SpawnSettings settings;
    pid_t child = 0;
    auto spawn = lookup == ProgramLookup::onPATH ? ::posix_spawnp : ::posix_spawn;
    if (int failure = spawn(&child, argv[0], settings.actions(), settings.attributes(), argv.data(), environ))
        return failure;
    reapWhenFinished(child);
    return 0;
}

} // namespace foundation
