// The four measured scenarios, each run over all hosts in alternation.
#pragma once

#include "driver_options.h"

#include <optional>
#include <string>
#include <vector>

namespace bench {

struct Payloads {
    std::string small_data_json;
    std::string request_frame;
    std::string small_reply_frame;
    std::string pipelined_request_stream;
    std::string large_data_json;
    std::string large_request_frame;
    std::string large_reply_frame;
};

Payloads build_payloads(const DriverOptions& options);

enum class Unit { milliseconds, per_second };

struct HostOutcome {
    std::vector<double> samples;
    std::optional<long> peak_memory_kib;
    std::optional<std::string> failure;
};

struct ScenarioResult {
    std::string title;
    Unit unit = Unit::milliseconds;
    std::vector<HostOutcome> hosts; // same order as DriverOptions::hosts
};

ScenarioResult run_scenario(Scenario scenario, const DriverOptions& options, const Payloads& payloads);

} // namespace bench
