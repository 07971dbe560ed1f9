#include "driver_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <filesystem>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace bench {
namespace {

std::size_t parse_count(std::string_view option, std::string_view text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0) {
        throw UsageError(std::string(option) + " needs a positive whole number, got '" + std::string(text) +
                         "'");
    }
    return value;
}

// Absolute, because the host is started after changing into its sandbox.
// Symlinks are kept: a program may look at the name it was started by.
std::string resolve_executable(std::string_view name, const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error || !std::filesystem::is_regular_file(absolute, error) || access(absolute.c_str(), X_OK) != 0) {
        throw UsageError("host '" + std::string(name) + "': " + path + " is not an executable file");
    }
    return absolute.lexically_normal().string();
}

HostEntry parse_host(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0 || equals + 1 == text.size()) {
        throw UsageError("--host needs NAME=PATH, got '" + std::string(text) + "'");
    }
    const std::string name(text.substr(0, equals));
    return {name, resolve_executable(name, std::string(text.substr(equals + 1)))};
}

Scenario parse_scenario(std::string_view name) {
    if (name == "one-shot") {
        return Scenario::one_shot;
    }
    if (name == "round-trips") {
        return Scenario::round_trips;
    }
    if (name == "pipelined") {
        return Scenario::pipelined;
    }
    if (name == "large") {
        return Scenario::large;
    }
    throw UsageError("unknown scenario '" + std::string(name) + "'");
}

std::vector<Scenario> parse_scenarios(std::string_view list) {
    std::vector<Scenario> scenarios;
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        scenarios.push_back(parse_scenario(list.substr(0, comma)));
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
    return scenarios;
}

void apply_quick(DriverOptions& options) {
    options.one_shot_runs = 30;
    options.one_shot_warmups = 2;
    options.round_trips = 1000;
    options.pipelined_requests = 5000;
    options.rounds = 2;
    options.large_runs = 3;
}

void check_consistent(const DriverOptions& options) {
    if (options.hosts.empty()) {
        throw UsageError("give at least one --host NAME=PATH");
    }
    for (std::size_t i = 0; i < options.hosts.size(); ++i) {
        for (std::size_t j = i + 1; j < options.hosts.size(); ++j) {
            if (options.hosts[i].name == options.hosts[j].name) {
                throw UsageError("host name '" + options.hosts[i].name + "' given twice");
            }
        }
    }
    if (options.large_request_bytes < 64 || options.large_data_bytes < 128) {
        throw UsageError("--large-request-bytes must be >= 64 and --large-data-bytes >= 128");
    }
}

bool is_flag(std::string_view option) {
    return option == "--quick" || option == "--help" || option == "-h";
}

bool apply_count_option(DriverOptions& options, std::string_view option, std::string_view value) {
    const std::array<std::pair<std::string_view, std::size_t DriverOptions::*>, 7> counts{{
        {"--one-shot-runs", &DriverOptions::one_shot_runs},
        {"--round-trips", &DriverOptions::round_trips},
        {"--pipelined", &DriverOptions::pipelined_requests},
        {"--rounds", &DriverOptions::rounds},
        {"--large-runs", &DriverOptions::large_runs},
        {"--large-request-bytes", &DriverOptions::large_request_bytes},
        {"--large-data-bytes", &DriverOptions::large_data_bytes},
    }};
    for (const auto& [name, member] : counts) {
        if (option == name) {
            options.*member = parse_count(option, value);
            return true;
        }
    }
    return false;
}

void apply_option(DriverOptions& options, std::string_view option, std::string_view value) {
    if (option == "--help" || option == "-h") {
        throw HelpRequested{};
    }
    if (option == "--host") {
        options.hosts.push_back(parse_host(value));
    } else if (option == "--scenarios") {
        options.scenarios = parse_scenarios(value);
    } else if (option == "--timeout-ms") {
        options.timeout =
            std::chrono::milliseconds(std::min<std::size_t>(parse_count(option, value), INT_MAX));
    } else if (option != "--quick" && !apply_count_option(options, option, value)) {
        throw UsageError("unknown option '" + std::string(option) + "'");
    }
}

// Accepts "--name value" and "--name=value"; advances `i` past a separate value.
std::pair<std::string_view, std::string_view> option_and_value(const std::vector<std::string_view>& arguments,
                                                               std::size_t& i) {
    const std::string_view option = arguments[i];
    if (is_flag(option)) {
        return {option, {}};
    }
    if (const std::size_t equals = option.find('=');
        option.starts_with("--") && equals != std::string_view::npos) {
        return {option.substr(0, equals), option.substr(equals + 1)};
    }
    if (i + 1 == arguments.size()) {
        throw UsageError(std::string(option) + " needs a value");
    }
    return {option, arguments[++i]};
}

} // namespace

DriverOptions parse_options(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    DriverOptions options;
    // --quick only changes defaults, so explicit counts win wherever they appear.
    if (std::find(arguments.begin(), arguments.end(), "--quick") != arguments.end()) {
        apply_quick(options);
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const auto [option, value] = option_and_value(arguments, i);
        apply_option(options, option, value);
    }
    check_consistent(options);
    return options;
}

std::string usage_text() {
    return R"(usage: host_driver --host NAME=PATH [--host NAME=PATH ...] [options]

Runs every host through the same scenarios, alternating hosts on each
repetition, and prints a Markdown table. Ratios are relative to the host
named "c". Exits 1 if any host fails a check.

  --host NAME=PATH          host executable to measure (repeatable)
  --scenarios LIST          comma list of one-shot,round-trips,pipelined,large
  --quick                   small counts (about 20 s in total)
  --one-shot-runs N         spawn-to-exit runs per host (200; quick 30)
  --round-trips N           sequential request/reply pairs per host (5000; quick 1000)
  --pipelined N             back-to-back requests per round (20000; quick 5000)
  --rounds N                fresh host processes per host for round-trips
                            and pipelined (5; quick 2)
  --large-runs N            runs of the large request (5; quick 3)
  --large-request-bytes N   body size of the large request (16777216)
  --large-data-bytes N      size of data.json for the large request (900000)
  --timeout-ms N            fail a host whose output or exit is this late (30000)
)";
}

} // namespace bench
