#include "tests/host/host_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int patienceMilliseconds = 20000; // only a hung host ever waits this long

void closeQuietly(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
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
    int in[2], out[2], err[2], extra[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0 ||
        ::pipe2(extra, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (options.likeFirefox)
        ::posix_spawn_file_actions_adddup2(&actions, extra[0], 3);
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
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string variable = *entry;
        if (variable.starts_with("PATH="))
            variable.insert(5, options.pathPrefix + ":");
        environment.push_back(variable);
    }
    int failed = ::posix_spawn(&pid_, VANTREL_HOST_BINARY, &actions, &attributes, pointersTo(argv).data(),
                               pointersTo(environment).data());
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    for (int end : {in[0], out[1], err[1], extra[0]})
        ::close(end);
    input_ = in[1];
    output_ = out[0];
    error_ = err[0];
    extra_ = extra[1];
    if (failed != 0)
        throw std::runtime_error("cannot start the host");
    rlimit limit{options.descriptorLimit.value_or(0), options.descriptorLimit.value_or(0)};
    if (options.descriptorLimit && ::prlimit(pid_, RLIMIT_NOFILE, &limit, nullptr) != 0)
        throw std::runtime_error("cannot limit the host's descriptors");
}

HostProcess::~HostProcess() {
    for (int* fd : {&input_, &output_, &error_, &extra_})
        closeQuietly(*fd);
    if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void HostProcess::send(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(input_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        ASSERT_GT(written, 0) << "the host stopped reading";
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void HostProcess::closeInput() {
    closeQuietly(input_);
}

void HostProcess::closeOutput() {
    closeQuietly(output_);
}

// Up to `size` bytes, fewer only when the host closes its output.
std::string HostProcess::receive(std::size_t size) {
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < size) {
        pollfd descriptor{output_, POLLIN, 0};
        if (::poll(&descriptor, 1, patienceMilliseconds) <= 0) {
            ADD_FAILURE() << "the host neither replied nor closed its output";
            break;
        }
        ssize_t count = ::read(output_, buffer, std::min(sizeof buffer, size - bytes.size()));
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

std::string HostProcess::receiveRest() {
    return receive(std::string::npos);
}

std::string HostProcess::standardError() {
    std::string bytes;
    char buffer[4096];
    for (ssize_t count; (count = ::read(error_, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(count));
    return bytes;
}

std::vector<pid_t> HostProcess::children() const {
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (command) state parent ...: the command may hold spaces and parentheses.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state;
        pid_t parent = 0;
        if (rest >> state >> parent && parent == pid_)
            found.push_back(static_cast<pid_t>(std::stol(entry.path().filename())));
    }
    return found;
}

int HostProcess::waitForExit() {
    for (int waited = 0; waited < patienceMilliseconds; waited += 10) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        }
        ::usleep(10000);
    }
    ADD_FAILURE() << "the host did not end";
    return -SIGKILL;
}
