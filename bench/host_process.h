// One running host under test, talking over pipes, with deadlines so a stuck
// host fails its scenario instead of hanging the benchmark.
#pragma once

#include "sandbox.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace bench {

struct HostEntry {
    std::string name;
    std::string path; // absolute: the child changes directory before exec
};

class HostFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HostProcess {
public:
    HostProcess(const HostEntry& entry, const Sandbox& sandbox, std::chrono::milliseconds timeout);
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    void write_all(std::string_view bytes);

    // Writes from a second thread so a host can reply while it is still being fed.
    // `bytes` must stay alive until the host has exited.
    void start_background_write(std::string_view bytes);

    // Reads `count` copies of `frame` and fails on the first differing byte.
    void expect_repeated(std::string_view frame, std::size_t count);
    void expect(std::string_view frame) { expect_repeated(frame, 1); }

    // Peak resident set size in KiB; the host must still be running.
    std::optional<long> peak_memory_kib() const;

    // Closes stdin, checks nothing more is written, and requires exit status 0.
    void close_stdin_and_expect_clean_exit();

private:
    void finish_background_write();
    std::size_t read_some(std::size_t limit, const char* waiting_for);
    void expect_end_of_output();
    std::string exit_after_early_end();
    int wait_for_exit_status();
    void kill_and_reap();
    void poll_or_fail(int fd, short events, const char* waiting_for);

    std::chrono::milliseconds timeout_;
    pid_t pid_ = -1;
    int stdin_fd_ = -1;
    int stdout_fd_ = -1;
    int pidfd_ = -1;
    bool reaped_ = false;
    std::vector<char> read_buffer_;
    std::thread writer_;
    std::string writer_error_;
};

} // namespace bench
