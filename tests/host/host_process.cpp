#include "tests/host/host_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int patienceMilliseconds = 20000; // only a hung host ever waits this long

std::string readAll(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

HostProcess::HostProcess(const Options& options) {
    // The test writes to hosts that may already have gone; the hosts get their own disposition.
    ::signal(SIGPIPE, SIG_IGN);
    int pipes[4][2];
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd < 4; ++fd) {
        if (::pipe2(pipes[fd], O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        // The host reads its input and descriptor 3, and writes the others.
        bool reads = fd == 0 || fd == 3;
        if (fd < 3 || options.likeFirefox)
            ::posix_spawn_file_actions_adddup2(&actions, pipes[fd][reads ? 0 : 1], fd);
        fds_[fd] = pipes[fd][reads ? 1 : 0];
    }
    ::posix_spawn_file_actions_addchdir_np(&actions, options.workingFolder.c_str());
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t brokenPipe;
    ::sigemptyset(&brokenPipe);
    if (!options.likeFirefox)
        ::sigaddset(&brokenPipe, SIGPIPE);
    ::posix_spawnattr_setsigdefault(&attributes, &brokenPipe);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    std::vector<std::string> argv{VANTREL_HOST_BINARY};
    argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry)
        environment.push_back(std::string(*entry).starts_with("PATH=")
                                  ? "PATH=" + options.pathPrefix + ":" + (*entry + 5)
                                  : *entry);
    int failed = ::posix_spawn(&pid_, VANTREL_HOST_BINARY, &actions, &attributes, pointersTo(argv).data(),
                               pointersTo(environment).data());
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    for (int fd = 0; fd < 4; ++fd)
        ::close(pipes[fd][fd == 0 || fd == 3 ? 0 : 1]);
    if (failed != 0)
        throw std::runtime_error("cannot start the host");
    rlimit limit{options.descriptorLimit.value_or(0), options.descriptorLimit.value_or(0)};
    if (options.descriptorLimit && ::prlimit(pid_, RLIMIT_NOFILE, &limit, nullptr) != 0)
        throw std::runtime_error("cannot limit the host's descriptors");
}

HostProcess::~HostProcess() {
    for (int fd : fds_)
        if (fd >= 0)
            ::close(fd);
    if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void HostProcess::send(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fds_[0], bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        ASSERT_GT(written, 0) << "the host stopped reading";
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void HostProcess::closeInput() {
    ::close(std::exchange(fds_[0], -1));
}

void HostProcess::closeOutput() {
    ::close(std::exchange(fds_[1], -1));
}

std::string HostProcess::receive(std::size_t size) {
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < size) {
        pollfd descriptor{fds_[1], POLLIN, 0};
        if (::poll(&descriptor, 1, patienceMilliseconds) <= 0) {
            ADD_FAILURE() << "the host neither replied nor closed its output";
            break;
        }
        ssize_t count = ::read(fds_[1], buffer, std::min(sizeof buffer, size - bytes.size()));
        if (count <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

std::string HostProcess::receiveFrame() {
    std::string prefix = receive(4);
    std::uint32_t length = 0;
    for (std::size_t i = prefix.size(); i-- > 0;)
        length = length << 8 | static_cast<unsigned char>(prefix[i]);
    return receive(length);
}

std::string HostProcess::standardError() {
    std::string bytes;
    char buffer[4096];
    for (ssize_t count; (count = ::read(fds_[2], buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(count));
    return bytes;
}

std::size_t HostProcess::children() const {
    // The host runs no threads of its own, so its main thread's children are all of them.
    std::string path = "/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/children";
    std::istringstream text(readAll(path));
    return static_cast<std::size_t>(
        std::distance(std::istream_iterator<pid_t>(text), std::istream_iterator<pid_t>()));
}

int HostProcess::waitForExit() {
    for (int waited = 0; waited < patienceMilliseconds; waited += 10, ::usleep(10000)) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        }
    }
    ADD_FAILURE() << "the host did not end";
    return -SIGKILL;
}
