// A throw-away directory tree for one host process: working directory with
// data.json, plus HOME and XDG folders so the host writes nothing real.
#pragma once

#include <string>
#include <string_view>

namespace bench {

class Sandbox {
public:
    explicit Sandbox(std::string_view data_json);
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::string work_dir() const { return root_ + "/work"; }
    std::string home_dir() const { return root_ + "/home"; }
    std::string config_dir() const { return root_ + "/home/.config"; }
    std::string cache_dir() const { return root_ + "/home/.cache"; }
    std::string data_dir() const { return root_ + "/home/.local/share"; }
    std::string state_dir() const { return root_ + "/home/.local/state"; }
    // As on a desktop, where it holds the host's log switch; the switch stays off.
    std::string documents_dir() const { return root_ + "/home/Documents"; }
    std::string stderr_path() const { return root_ + "/stderr.txt"; }

    // The end of what the host wrote to stderr, for failure reports.
    std::string stderr_tail(std::size_t max_bytes = 600) const;

private:
    std::string root_;
};

} // namespace bench
