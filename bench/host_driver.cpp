// Whole-process benchmark of native messaging hosts; see usage_text().
#include "driver_options.h"
#include "report.h"
#include "scenarios.h"

#include <chrono>
#include <csignal>
#include <iomanip>
#include <iostream>
#include <vector>

namespace {

const char* scenario_name(bench::Scenario scenario) {
    switch (scenario) {
    case bench::Scenario::one_shot:
        return "one-shot";
    case bench::Scenario::round_trips:
        return "round-trips";
    case bench::Scenario::pipelined:
        return "pipelined";
    case bench::Scenario::large:
        return "large";
    }
    return "?";
}

std::vector<bench::ScenarioResult> run_all(const bench::DriverOptions& options,
                                           const bench::Payloads& payloads) {
    std::vector<bench::ScenarioResult> results;
    for (const bench::Scenario scenario : options.scenarios) {
        std::cerr << "running " << scenario_name(scenario) << "..." << std::flush;
        const auto start = std::chrono::steady_clock::now();
        results.push_back(bench::run_scenario(scenario, options, payloads));
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::cerr << " " << std::fixed << std::setprecision(1) << took.count() << " s\n";
    }
    return results;
}

} // namespace

int main(int argc, char** argv) {
    // A host that dies mid-write must show up as a failed check, not kill the driver.
    (void)std::signal(SIGPIPE, SIG_IGN);
    try {
        const bench::DriverOptions options = bench::parse_options(argc, argv);
        const bench::Payloads payloads = bench::build_payloads(options);
        const std::vector<bench::ScenarioResult> results = run_all(options, payloads);
        bench::print_report(std::cout, options, payloads, results);
        return bench::any_failure(results) ? 1 : 0;
    } catch (const bench::HelpRequested&) {
        std::cout << bench::usage_text();
        return 0;
    } catch (const bench::UsageError& error) {
        std::cerr << "host_driver: " << error.what() << "\n\n" << bench::usage_text();
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "host_driver: " << error.what() << '\n';
        return 2;
    }
}
