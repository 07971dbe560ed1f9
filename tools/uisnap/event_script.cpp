#include "tools/uisnap/event_script.h"

#include <charconv>
#include <cmath>

namespace uisnap {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos)
            end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::vector<std::string_view> words(std::string_view step) {
    std::vector<std::string_view> found;
    for (std::string_view word : split(step, ' ')) {
        // Tabs and newlines separate words too.
        for (std::string_view piece : split(word, '\t')) {
            for (std::string_view part : split(piece, '\n')) {
                if (!part.empty())
                    found.push_back(part);
            }
        }
    }
    return found;
}

std::optional<ScriptedEvent> parseStep(const std::vector<std::string_view>& word) {
    using Kind = ScriptedEvent::Kind;
    auto plain = [&](Kind kind) {
        return word.size() == 1 ? std::optional(ScriptedEvent{kind}) : std::nullopt;
    };
    if (word[0] == "down")
        return plain(Kind::down);
    if (word[0] == "up")
        return plain(Kind::up);
    if (word[0] == "leave")
        return plain(Kind::leave);
    if (word[0] == "move" && word.size() == 3) {
        auto x = parseNumber(word[1]);
        auto y = parseNumber(word[2]);
        if (x && y)
            return ScriptedEvent{Kind::move, *x, *y};
    }
    if (word[0] == "wait" && word.size() == 2) {
        auto seconds = parseNumber(word[1]);
        if (seconds && *seconds >= 0 && *seconds <= longestPlayedTime)
            return ScriptedEvent{Kind::wait, 0, 0, *seconds};
    }
    return std::nullopt;
}

} // namespace

std::optional<double> parseNumber(std::string_view text) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::vector<ScriptedEvent>> parseEventScript(std::string_view text, std::string* error) {
    std::vector<ScriptedEvent> events;
    double waited = 0;
    for (std::string_view step : split(text, ';')) {
        auto word = words(step);
        if (word.empty())
            continue; // "down;" and "; ;" are fine
        auto event = parseStep(word);
        if (event && event->kind == ScriptedEvent::Kind::wait)
            waited += event->seconds;
        if (!event || waited > longestPlayedTime) {
            if (error != nullptr)
                *error = "cannot play the event \"" + std::string(step) +
                         "\": expected move X Y, down, up, leave or wait SECONDS (waits up to " +
                         std::to_string(static_cast<int>(longestPlayedTime)) + " s in all)";
            return std::nullopt;
        }
        events.push_back(*event);
    }
    return events;
}

} // namespace uisnap
