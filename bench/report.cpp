#include "report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <sys/utsname.h>
#include <thread>

namespace bench {
namespace {

struct Summary {
    double median = 0;
    double spread = 0; // p90 of times, or the slowest round of rates
};

double median_of(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// Nearest-rank percentile: always one of the measured values.
double percentile_of(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

std::optional<Summary> summarize(const HostOutcome& outcome, Unit unit) {
    if (outcome.failure || outcome.samples.empty()) {
        return std::nullopt;
    }
    const double spread = unit == Unit::milliseconds
                              ? percentile_of(outcome.samples, 0.9)
                              : *std::min_element(outcome.samples.begin(), outcome.samples.end());
    return Summary{median_of(outcome.samples), spread};
}

std::string format(const char* pattern, double value) {
    std::array<char, 64> text{};
    (void)std::snprintf(text.data(), text.size(), pattern, value);
    return text.data();
}

std::string with_unit(double value, Unit unit) {
    if (unit == Unit::milliseconds) {
        return format(value < 10 ? "%.2f ms" : "%.1f ms", value);
    }
    return format("%.0f /s", value);
}

std::string spread_text(double spread, Unit unit) {
    return (unit == Unit::milliseconds ? "p90 " : "slowest ") + with_unit(spread, unit);
}

std::string memory_text(std::optional<long> kib) {
    return kib ? format("%.1f MiB", static_cast<double>(*kib) / 1024.0) : "n/a";
}

// Always "how many times the reference's cost": rates are inverted so that
// every ratio reads the same way (lower is better).
std::optional<double> cost_ratio(const Summary& host, const Summary& reference, Unit unit) {
    return unit == Unit::milliseconds ? host.median / reference.median : reference.median / host.median;
}

std::string ratio_text(std::optional<double> ratio) {
    return ratio ? format("%.2f", *ratio) : "n/a";
}

std::optional<std::size_t> reference_index(const DriverOptions& options) {
    for (std::size_t i = 0; i < options.hosts.size(); ++i) {
        if (options.hosts[i].name == reference_host_name) {
            return i;
        }
    }
    return std::nullopt;
}

std::string host_row(const ScenarioResult& result, std::size_t host, std::optional<std::size_t> reference,
                     const DriverOptions& options) {
    const HostOutcome& outcome = result.hosts[host];
    const std::string prefix = "| " + result.title + " | " + options.hosts[host].name + " | ";
    const std::optional<Summary> summary = summarize(outcome, result.unit);
    if (!summary) {
        return prefix + "n/a | n/a | " + memory_text(outcome.peak_memory_kib) + " | n/a | n/a | **FAIL** |";
    }
    std::optional<double> time_ratio;
    std::optional<double> memory_ratio;
    if (reference) {
        const std::optional<Summary> base = summarize(result.hosts[*reference], result.unit);
        const std::optional<long> base_memory = result.hosts[*reference].peak_memory_kib;
        if (base) {
            time_ratio = cost_ratio(*summary, *base, result.unit);
        }
        if (base_memory && outcome.peak_memory_kib && *base_memory > 0) {
            memory_ratio = static_cast<double>(*outcome.peak_memory_kib) / static_cast<double>(*base_memory);
        }
    }
    return prefix + with_unit(summary->median, result.unit) + " | " +
           spread_text(summary->spread, result.unit) + " | " + memory_text(outcome.peak_memory_kib) + " | " +
           ratio_text(time_ratio) + " | " + ratio_text(memory_ratio) + " | ok |";
}

// Other work on the machine skews absolute figures (ratios less so), so say how busy it was.
std::string load_average() {
    std::ifstream file("/proc/loadavg");
    std::string one_minute;
    std::string five_minutes;
    file >> one_minute >> five_minutes;
    return file ? one_minute + " (1 min), " + five_minutes + " (5 min)" : "n/a";
}

void print_context(std::ostream& out, const DriverOptions& options) {
    utsname system{};
    uname(&system);
    out << "Machine: " << system.sysname << ' ' << system.release << ' ' << system.machine << ", "
        << std::thread::hardware_concurrency() << " CPUs, load average after the run " << load_average()
        << "\n\n";
    for (const HostEntry& host : options.hosts) {
        out << "- `" << host.name << "`: `" << host.path << "`\n";
    }
    out << '\n';
}

void print_notes(std::ostream& out, const Payloads& payloads) {
    out << "\nNotes:\n"
        << "- Time vs " << reference_host_name
        << ": median time per run or per request divided by the reference host's (lower is better).\n"
        << "- Requests are `{\"options\":true}`; data.json is " << payloads.small_data_json.size()
        << " bytes of UTF-8 JSON with a trailing newline. Every reply is checked byte for byte.\n";
    if (!payloads.large_request_frame.empty()) {
        out << "- Large request: body `{\"options\":\"<a-z0-9 filler>\"}` of "
            << payloads.large_request_frame.size() - 4 << " bytes; its data.json is "
            << payloads.large_data_json.size() << " bytes of JSON.\n";
    }
    out << "- Round trips and pipelined: rate after the first reply, one fresh host per round; spread is "
           "the slowest round.\n"
        << "- Peak memory: VmHWM of the host after its last reply, before its stdin is closed; max over "
           "runs. "
           "One-shot takes it from untimed warm-up runs, as reading /proc costs time.\n";
}

void print_failures(std::ostream& out, const DriverOptions& options,
                    const std::vector<ScenarioResult>& results) {
    for (const ScenarioResult& result : results) {
        for (std::size_t host = 0; host < result.hosts.size(); ++host) {
            if (result.hosts[host].failure) {
                out << "\nFAIL " << options.hosts[host].name << " in " << result.title << ": "
                    << *result.hosts[host].failure << '\n';
            }
        }
    }
}

} // namespace

void print_report(std::ostream& out, const DriverOptions& options, const Payloads& payloads,
                  const std::vector<ScenarioResult>& results) {
    print_context(out, options);
    const std::optional<std::size_t> reference = reference_index(options);
    out << "| Scenario | Host | Median | Spread | Peak memory (VmHWM) | Time vs " << reference_host_name
        << " | Memory vs " << reference_host_name << " | Check |\n";
    out << "|---|---|---:|---:|---:|---:|---:|---|\n";
    for (const ScenarioResult& result : results) {
        for (std::size_t host = 0; host < result.hosts.size(); ++host) {
            out << host_row(result, host, reference, options) << '\n';
        }
    }
    print_notes(out, payloads);
    if (!reference) {
        out << "No host is named \"" << reference_host_name << "\", so there are no ratios.\n";
    }
    print_failures(out, options, results);
}

bool any_failure(const std::vector<ScenarioResult>& results) {
    return std::any_of(results.begin(), results.end(), [](const ScenarioResult& result) {
        return std::any_of(result.hosts.begin(), result.hosts.end(),
                           [](const HostOutcome& outcome) { return outcome.failure.has_value(); });
    });
}

} // namespace bench
