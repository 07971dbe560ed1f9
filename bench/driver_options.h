// Command line of host_driver.
#pragma once

#include "host_process.h"

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

enum class Scenario { one_shot, round_trips, pipelined, large };

struct DriverOptions {
    std::vector<HostEntry> hosts;
    std::vector<Scenario> scenarios{Scenario::one_shot, Scenario::round_trips, Scenario::pipelined,
                                    Scenario::large};
    std::size_t one_shot_runs = 200;
    std::size_t one_shot_warmups = 3;
    std::size_t round_trips = 5000;
    std::size_t pipelined_requests = 20000;
    std::size_t rounds = 5;
    std::size_t large_runs = 5;
    std::size_t large_request_bytes = std::size_t{16} << 20;
    std::size_t large_data_bytes = 900000;
    std::chrono::milliseconds timeout{30000};
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct HelpRequested {};

// Throws UsageError on bad input and HelpRequested for --help.
DriverOptions parse_options(int argc, char** argv);
std::string usage_text();

} // namespace bench
