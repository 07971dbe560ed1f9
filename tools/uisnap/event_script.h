#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace uisnap {

// One step of a pointer script. Points are in window coordinates, origin at the bottom left.
struct ScriptedEvent {
    enum class Kind { move, down, up, leave, wait };
    Kind kind;
    double x = 0;
    double y = 0;
    double seconds = 0; // for wait
    bool operator==(const ScriptedEvent&) const = default;
};

// The longest a script may wait in all, and the longest --time: time is played in frames.
constexpr double longestPlayedTime = 600;

// Parses "move X Y; down; up; leave; wait SECONDS": steps separated by semicolons, words by spaces.
// None, with a message naming the step at fault, for anything else.
std::optional<std::vector<ScriptedEvent>> parseEventScript(std::string_view text, std::string* error);

// A finite number written in full, as the C locale writes it.
std::optional<double> parseNumber(std::string_view text);

} // namespace uisnap
