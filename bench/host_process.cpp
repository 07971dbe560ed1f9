#include "host_process.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {
namespace {

constexpr std::size_t read_chunk_bytes = std::size_t{64} * 1024;

std::string errno_text(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Keeps the host away from the real configuration, cache and log folders.
std::vector<std::string> host_environment(const Sandbox& sandbox) {
    const std::array<std::pair<std::string_view, std::string>, 6> overrides{{
        {"HOME", sandbox.home_dir()},
        {"XDG_CONFIG_HOME", sandbox.config_dir()},
        {"XDG_CACHE_HOME", sandbox.cache_dir()},
        {"XDG_DATA_HOME", sandbox.data_dir()},
        {"XDG_STATE_HOME", sandbox.state_dir()},
        {"TMPDIR", sandbox.home_dir()},
    }};
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        const bool overridden = std::any_of(overrides.begin(), overrides.end(),
                                            [&](const auto& item) { return item.first == name; });
        if (!overridden) {
            environment.emplace_back(text);
        }
    }
    for (const auto& [name, value] : overrides) {
        environment.push_back(std::string(name) + "=" + value);
    }
    return environment;
}

std::vector<char*> as_argv(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (auto& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

struct Pipe {
    int read_end = -1;
    int write_end = -1;
};

// Close-on-exec so hosts running side by side never inherit each other's pipes.
Pipe make_pipe() {
    std::array<int, 2> fds{-1, -1};
    if (pipe2(fds.data(), O_CLOEXEC) != 0) {
        throw std::runtime_error(errno_text("pipe2"));
    }
    return {fds[0], fds[1]};
}

void close_fd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

std::string printable_excerpt(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        if (c >= 0x20 && c < 0x7f) {
            text.push_back(c);
        } else {
            std::array<char, 8> escaped{};
            (void)std::snprintf(escaped.data(), escaped.size(), "\\x%02x", static_cast<unsigned char>(c));
            text += escaped.data();
        }
    }
    return '"' + text + '"';
}

std::string progress_text(std::size_t received, std::size_t frame_size, std::size_t count) {
    std::string text =
        " (after " + std::to_string(received / frame_size) + " of " + std::to_string(count) + " replies";
    if (received % frame_size != 0) {
        text += " and " + std::to_string(received % frame_size) + " bytes of the next";
    }
    return text + ")";
}

std::string byte_position(std::size_t in_frame, std::size_t frame_size) {
    const std::string where = in_frame < 4 ? " (length prefix)" : "";
    return "byte " + std::to_string(in_frame) + where + " of its " + std::to_string(frame_size) +
           "-byte frame";
}

[[noreturn]] void throw_mismatch(std::string_view frame, std::size_t stream_offset, std::size_t count,
                                 std::string_view received_here) {
    const std::size_t reply = stream_offset / frame.size();
    const std::size_t in_frame = stream_offset % frame.size();
    throw HostFailure("reply " + std::to_string(reply + 1) + " of " + std::to_string(count) + " differs at " +
                      byte_position(in_frame, frame.size()) + ": expected " +
                      printable_excerpt(frame.substr(in_frame, 24)) + ", got " +
                      printable_excerpt(received_here.substr(0, 24)));
}

// `offset` is where `chunk` starts in the stream of `count` back-to-back frames.
void compare_with_frames(std::string_view frame, std::size_t offset, std::size_t count,
                         std::string_view chunk) {
    std::size_t done = 0;
    while (done < chunk.size()) {
        const std::size_t in_frame = (offset + done) % frame.size();
        const std::size_t length = std::min(chunk.size() - done, frame.size() - in_frame);
        if (std::memcmp(frame.data() + in_frame, chunk.data() + done, length) != 0) {
            std::size_t first = 0;
            while (frame[in_frame + first] == chunk[done + first]) {
                ++first;
            }
            throw_mismatch(frame, offset + done + first, count, chunk.substr(done + first));
        }
        done += length;
    }
}

std::string describe_status(int status) {
    if (WIFEXITED(status)) {
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return "killed by signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) +
               ")";
    }
    return "ended with wait status " + std::to_string(status);
}

class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};
};

// The driver ignores SIGPIPE; a browser-launched host would not, so undo it.
void restore_default_signals(posix_spawnattr_t& attributes) {
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigset_t empty_mask;
    sigemptyset(&empty_mask);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &empty_mask);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
}

} // namespace

HostProcess::HostProcess(const HostEntry& entry, const Sandbox& sandbox, std::chrono::milliseconds timeout)
    : timeout_(timeout), read_buffer_(read_chunk_bytes) {
    const Pipe to_host = make_pipe();
    const Pipe from_host = make_pipe();
    stdin_fd_ = to_host.write_end;
    stdout_fd_ = from_host.read_end;

    SpawnSetup setup;
    posix_spawn_file_actions_adddup2(&setup.actions, to_host.read_end, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&setup.actions, from_host.write_end, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, sandbox.stderr_path().c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&setup.actions, sandbox.work_dir().c_str());
    restore_default_signals(setup.attributes);

    std::vector<std::string> arguments{entry.path};
    std::vector<std::string> environment = host_environment(sandbox);
    const int error = posix_spawn(&pid_, entry.path.c_str(), &setup.actions, &setup.attributes,
                                  as_argv(arguments).data(), as_argv(environment).data());
    close(to_host.read_end);
    close(from_host.write_end);
    if (error != 0) {
        close_fd(stdin_fd_);
        close_fd(stdout_fd_);
        throw HostFailure("cannot start " + entry.path + ": " + std::strerror(error));
    }
    // Without pidfd (old kernels) waiting for exit simply has no deadline.
    pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
}

HostProcess::~HostProcess() {
    kill_and_reap();
    if (writer_.joinable()) {
        writer_.join();
    }
    close_fd(stdin_fd_);
    close_fd(stdout_fd_);
    close_fd(pidfd_);
}

void HostProcess::write_all(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(stdin_fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw HostFailure(errno == EPIPE ? "host stopped reading its stdin (exited early?)"
                                             : errno_text("write to host"));
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void HostProcess::start_background_write(std::string_view bytes) {
    writer_ = std::thread([this, bytes] {
        try {
            write_all(bytes);
        } catch (const std::exception& failure) {
            writer_error_ = failure.what();
        }
    });
}

void HostProcess::finish_background_write() {
    if (writer_.joinable()) {
        writer_.join();
    }
    if (!writer_error_.empty()) {
        throw HostFailure("while writing requests: " + writer_error_);
    }
}

void HostProcess::poll_or_fail(int fd, short events, const char* waiting_for) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = poll(&entry, 1, static_cast<int>(timeout_.count()));
        if (ready > 0) {
            return;
        }
        if (ready == 0) {
            throw HostFailure("timed out after " + std::to_string(timeout_.count()) + " ms waiting for " +
                              waiting_for);
        }
        if (errno != EINTR) {
            throw HostFailure(errno_text("poll"));
        }
    }
}

std::size_t HostProcess::read_some(std::size_t limit, const char* waiting_for) {
    for (;;) {
        poll_or_fail(stdout_fd_, POLLIN, waiting_for);
        const ssize_t got = read(stdout_fd_, read_buffer_.data(), std::min(limit, read_buffer_.size()));
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            throw HostFailure(errno_text("read from host"));
        }
    }
}

void HostProcess::expect_repeated(std::string_view frame, std::size_t count) {
    const std::size_t total = frame.size() * count;
    std::size_t received = 0;
    while (received < total) {
        std::size_t got = 0;
        try {
            got = read_some(total - received, "a reply");
        } catch (const HostFailure& failure) {
            throw HostFailure(std::string(failure.what()) + progress_text(received, frame.size(), count));
        }
        if (got == 0) {
            throw HostFailure("output ended early" + progress_text(received, frame.size(), count) +
                              exit_after_early_end());
        }
        compare_with_frames(frame, received, count, std::string_view(read_buffer_.data(), got));
        received += got;
    }
}

// Closed output nearly always means the host has exited; its status says why.
std::string HostProcess::exit_after_early_end() {
    try {
        return "; the host " + describe_status(wait_for_exit_status());
    } catch (const HostFailure&) {
        return "; the host is still running";
    }
}

std::optional<long> HostProcess::peak_memory_kib() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return std::nullopt;
}

void HostProcess::close_stdin_and_expect_clean_exit() {
    finish_background_write();
    close_fd(stdin_fd_);
    expect_end_of_output();
    const int status = wait_for_exit_status();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw HostFailure("at end of input the host " + describe_status(status));
    }
}

void HostProcess::expect_end_of_output() {
    const std::size_t got = read_some(read_buffer_.size(), "end of output after stdin was closed");
    if (got != 0) {
        throw HostFailure(
            "unexpected output after the last expected reply: " +
            printable_excerpt(std::string_view(read_buffer_.data(), std::min<std::size_t>(got, 40))));
    }
}

int HostProcess::wait_for_exit_status() {
    if (pidfd_ >= 0) {
        poll_or_fail(pidfd_, POLLIN, "the host to exit");
    }
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR) {
            throw HostFailure(errno_text("waitpid"));
        }
    }
    reaped_ = true;
    return status;
}

void HostProcess::kill_and_reap() {
    if (pid_ <= 0 || reaped_) {
        return;
    }
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
}

} // namespace bench
