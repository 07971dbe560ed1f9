// Markdown summary of all scenario results.
#pragma once

#include "driver_options.h"
#include "scenarios.h"

#include <ostream>
#include <vector>

namespace bench {

inline constexpr const char* reference_host_name = "c";

void print_report(std::ostream& out, const DriverOptions& options, const Payloads& payloads,
                  const std::vector<ScenarioResult>& results);

bool any_failure(const std::vector<ScenarioResult>& results);

} // namespace bench
