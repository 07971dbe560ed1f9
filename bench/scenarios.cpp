#include "scenarios.h"

#include "frames.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

struct Measurement {
    double value = 0;
    std::optional<long> peak_memory_kib;
};

using RunOnce = std::function<Measurement(const HostEntry&)>;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string repeat(std::string_view text, std::size_t count) {
    std::string stream;
    stream.reserve(text.size() * count);
    for (std::size_t i = 0; i < count; ++i) {
        stream.append(text);
    }
    return stream;
}

// The host's own stderr is the best clue to why it failed; it vanishes with the sandbox.
template <typename Body> Measurement with_stderr_on_failure(const Sandbox& sandbox, Body&& body) {
    try {
        return body();
    } catch (const HostFailure& failure) {
        std::string tail = sandbox.stderr_tail();
        while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r')) {
            tail.pop_back();
        }
        throw HostFailure(std::string(failure.what()) + (tail.empty() ? "" : "\n    host stderr: " + tail));
    }
}

void record(HostOutcome& outcome, const Measurement& measurement, bool keep_sample) {
    if (keep_sample) {
        outcome.samples.push_back(measurement.value);
    }
    if (measurement.peak_memory_kib) {
        outcome.peak_memory_kib = std::max(outcome.peak_memory_kib.value_or(0), *measurement.peak_memory_kib);
    }
}

// Rotating the starting host each repetition spreads machine noise and
// warm-cache effects evenly over all hosts.
void run_interleaved(const DriverOptions& options, std::size_t repetitions, const RunOnce& run_once,
                     std::vector<HostOutcome>& outcomes, bool keep_samples) {
    const std::size_t host_count = options.hosts.size();
    for (std::size_t repetition = 0; repetition < repetitions; ++repetition) {
        for (std::size_t k = 0; k < host_count; ++k) {
            const std::size_t index = (repetition + k) % host_count;
            HostOutcome& outcome = outcomes[index];
            if (outcome.failure) {
                continue;
            }
            try {
                record(outcome, run_once(options.hosts[index]), keep_samples);
            } catch (const std::exception& failure) {
                outcome.failure = "repetition " + std::to_string(repetition + 1) + ": " + failure.what();
            }
        }
    }
}

Measurement one_shot_once(const HostEntry& host, const DriverOptions& options, const Payloads& payloads,
                          bool sample_memory) {
    const Sandbox sandbox(payloads.small_data_json);
    return with_stderr_on_failure(sandbox, [&] {
        const auto start = Clock::now();
        HostProcess process(host, sandbox, options.timeout);
        process.write_all(payloads.request_frame);
        process.expect(payloads.small_reply_frame);
        // Reading /proc costs time, so only untimed warm-up runs sample memory.
        const std::optional<long> peak = sample_memory ? process.peak_memory_kib() : std::nullopt;
        process.close_stdin_and_expect_clean_exit();
        return Measurement{seconds_since(start) * 1000.0, peak};
    });
}

void exchange(HostProcess& process, const Payloads& payloads, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        try {
            process.write_all(payloads.request_frame);
            process.expect(payloads.small_reply_frame);
        } catch (const HostFailure& failure) {
            throw HostFailure("request " + std::to_string(i + 1) + ": " + failure.what());
        }
    }
}

Measurement round_trips_once(const HostEntry& host, const DriverOptions& options, const Payloads& payloads,
                             std::size_t count) {
    const Sandbox sandbox(payloads.small_data_json);
    return with_stderr_on_failure(sandbox, [&] {
        HostProcess process(host, sandbox, options.timeout);
        exchange(process, payloads, 20); // keep start-up out of the rate
        const auto start = Clock::now();
        exchange(process, payloads, count);
        const double seconds = seconds_since(start);
        const std::optional<long> peak = process.peak_memory_kib();
        process.close_stdin_and_expect_clean_exit();
        return Measurement{static_cast<double>(count) / seconds, peak};
    });
}

Measurement pipelined_once(const HostEntry& host, const DriverOptions& options, const Payloads& payloads) {
    const Sandbox sandbox(payloads.small_data_json);
    return with_stderr_on_failure(sandbox, [&] {
        HostProcess process(host, sandbox, options.timeout);
        exchange(process, payloads, 1);
        const auto start = Clock::now();
        process.start_background_write(payloads.pipelined_request_stream);
        process.expect_repeated(payloads.small_reply_frame, options.pipelined_requests);
        const double seconds = seconds_since(start);
        const std::optional<long> peak = process.peak_memory_kib();
        process.close_stdin_and_expect_clean_exit();
        return Measurement{static_cast<double>(options.pipelined_requests) / seconds, peak};
    });
}

Measurement large_once(const HostEntry& host, const DriverOptions& options, const Payloads& payloads) {
    const Sandbox sandbox(payloads.large_data_json);
    return with_stderr_on_failure(sandbox, [&] {
        const auto start = Clock::now();
        HostProcess process(host, sandbox, options.timeout);
        process.start_background_write(payloads.large_request_frame);
        process.expect(payloads.large_reply_frame);
        const std::optional<long> peak = process.peak_memory_kib();
        process.close_stdin_and_expect_clean_exit();
        return Measurement{seconds_since(start) * 1000.0, peak};
    });
}

std::string plural(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string size_text(std::size_t bytes) {
    constexpr std::size_t mebibyte = std::size_t{1} << 20;
    std::array<char, 32> text{};
    if (bytes % mebibyte == 0) {
        (void)std::snprintf(text.data(), text.size(), "%zu MiB", bytes / mebibyte);
    } else {
        (void)std::snprintf(text.data(), text.size(), "%.0f KB", static_cast<double>(bytes) / 1000.0);
    }
    return text.data();
}

ScenarioResult run_one_shot(const DriverOptions& options, const Payloads& payloads) {
    ScenarioResult result{"one-shot, spawn to exit (" + plural(options.one_shot_runs, "run") + ")",
                          Unit::milliseconds, std::vector<HostOutcome>(options.hosts.size())};
    const auto warm_up = [&](const HostEntry& host) { return one_shot_once(host, options, payloads, true); };
    const auto timed = [&](const HostEntry& host) { return one_shot_once(host, options, payloads, false); };
    run_interleaved(options, options.one_shot_warmups, warm_up, result.hosts, false);
    run_interleaved(options, options.one_shot_runs, timed, result.hosts, true);
    return result;
}

ScenarioResult run_round_trips(const DriverOptions& options, const Payloads& payloads) {
    // Rounded up so that every round is the same size.
    const std::size_t per_round = (options.round_trips + options.rounds - 1) / options.rounds;
    ScenarioResult result{"round trips (" + std::to_string(per_round * options.rounds) + " in " +
                              plural(options.rounds, "round") + ")",
                          Unit::per_second, std::vector<HostOutcome>(options.hosts.size())};
    const auto once = [&](const HostEntry& host) {
        return round_trips_once(host, options, payloads, per_round);
    };
    run_interleaved(options, options.rounds, once, result.hosts, true);
    return result;
}

ScenarioResult run_pipelined(const DriverOptions& options, const Payloads& payloads) {
    ScenarioResult result{"pipelined (" + std::to_string(options.pipelined_requests) + " per round, " +
                              plural(options.rounds, "round") + ")",
                          Unit::per_second, std::vector<HostOutcome>(options.hosts.size())};
    const auto once = [&](const HostEntry& host) { return pipelined_once(host, options, payloads); };
    run_interleaved(options, options.rounds, once, result.hosts, true);
    return result;
}

ScenarioResult run_large(const DriverOptions& options, const Payloads& payloads) {
    ScenarioResult result{size_text(options.large_request_bytes) + " request, " +
                              size_text(options.large_data_bytes) + " data.json, spawn to exit (" +
                              plural(options.large_runs, "run") + ")",
                          Unit::milliseconds, std::vector<HostOutcome>(options.hosts.size())};
    const auto once = [&](const HostEntry& host) { return large_once(host, options, payloads); };
    run_interleaved(options, options.large_runs, once, result.hosts, true);
    return result;
}

} // namespace

Payloads build_payloads(const DriverOptions& options) {
    Payloads payloads;
    payloads.small_data_json = small_data_json();
    payloads.request_frame = encode_frame(options_request_body);
    payloads.small_reply_frame = options_reply_frame(payloads.small_data_json);
    payloads.pipelined_request_stream = repeat(payloads.request_frame, options.pipelined_requests);
    if (std::find(options.scenarios.begin(), options.scenarios.end(), Scenario::large) !=
        options.scenarios.end()) {
        payloads.large_data_json = large_data_json(options.large_data_bytes);
        payloads.large_request_frame = encode_frame(large_options_request_body(options.large_request_bytes));
        payloads.large_reply_frame = options_reply_frame(payloads.large_data_json);
    }
    return payloads;
}

ScenarioResult run_scenario(Scenario scenario, const DriverOptions& options, const Payloads& payloads) {
    switch (scenario) {
    case Scenario::one_shot:
        return run_one_shot(options, payloads);
    case Scenario::round_trips:
        return run_round_trips(options, payloads);
    case Scenario::pipelined:
        return run_pipelined(options, payloads);
    case Scenario::large:
        return run_large(options, payloads);
    }
    throw std::logic_error("unknown scenario");
}

} // namespace bench
