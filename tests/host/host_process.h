#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The real host binary, started with pipes on its three standard streams.
class HostProcess {
public:
    struct Options {
        std::filesystem::path workingFolder;
        std::vector<std::string> arguments;
        std::string pathPrefix; // put first on PATH, e.g. a stand-in opener
        // As Firefox starts hosts: SIGPIPE ignored and a pipe of its own on descriptor 3.
        bool likeFirefox = false;
        std::optional<unsigned> descriptorLimit;
    };

    explicit HostProcess(const Options& options);
    ~HostProcess();

    void send(std::string_view bytes);
    void closeInput();
    void closeOutput();
    // One reply frame's message; fails the test after a generous bound.
    std::string receiveFrame();
    // Up to `size` bytes of standard output, fewer when the host closes it.
    std::string receive(std::size_t size = std::string::npos);
    std::string standardError();
    // How many child processes the host has, zombies included.
    std::size_t children() const;
    // The exit status, or minus the signal that ended the host.
    int waitForExit();

private:
    pid_t pid_ = -1;
    int fds_[4] = {-1, -1, -1, -1}; // input, output, error, descriptor 3
};
