#include "tools/uisnap/event_script.h"

#include "platform/appkit/windows/window.h"

#include <charconv>
#include <cmath>
#include <map>

namespace uisnap {

namespace {

using Kind = ScriptStep::Kind;

// A word and where it stands, so that messages can point at it and steps can take the rest of
// their line as text.
struct Word {
    std::string_view text;
    int number; // on its line, from 1
};

class LineReader {
public:
    LineReader(std::string_view line, int lineNumber) : line_(line), lineNumber_(lineNumber) {}

    // The steps of the line, or none with the fault in error.
    bool read(std::vector<ScriptStep>& steps, std::string& error);

private:
    bool readStep(const std::vector<Word>& words, ScriptStep& step, std::string& error);
    bool readArguments(const std::vector<Word>& words, ScriptStep& step, std::string& error);
    bool readNumbers(const std::vector<Word>& words, std::size_t count, ScriptStep& step, std::string& error);
    bool readKey(const std::vector<Word>& words, ScriptStep& step, std::string& error);
    // The text from a word to the end of its step.
    std::string_view restFrom(const Word& word, std::string_view step) const;
    bool fail(const Word& word, const std::string& why, std::string& error) const;

    std::string_view line_;
    int lineNumber_;
    int wordsBefore_ = 0;
    std::string_view step_;
};

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

std::vector<std::string_view> wordsOf(std::string_view step) {
    std::vector<std::string_view> found;
    std::size_t at = 0;
    while (at < step.size()) {
        std::size_t start = step.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos)
            break;
        std::size_t end = std::min(step.find_first_of(" \t\r", start), step.size());
        found.push_back(step.substr(start, end - start));
        at = end;
    }
    return found;
}

const std::map<std::string_view, Kind, std::less<>>& kindsByName() {
    static const std::map<std::string_view, Kind, std::less<>> kinds{
        {"move", Kind::move},         {"down", Kind::down},     {"up", Kind::up},
        {"leave", Kind::leave},       {"wait", Kind::wait},     {"popover", Kind::popover},
        {"set", Kind::set},           {"frame", Kind::frame},   {"title", Kind::title},
        {"state", Kind::state},       {"enable", Kind::enable}, {"key", Kind::key},
        {"keydown", Kind::keyDown},   {"keyup", Kind::keyUp},   {"deactivate", Kind::deactivate},
        {"activate", Kind::activate}, {"scale", Kind::scale},   {"snap", Kind::snap},
    };
    return kinds;
}

std::optional<std::string> charactersOfKey(std::string_view name) {
    static const std::map<std::string_view, std::string, std::less<>> named{
        {"escape", "\x1b"}, {"return", "\r"}, {"tab", "\t"}, {"space", " "}};
    if (auto found = named.find(name); found != named.end())
        return found->second;
    if (name.size() == 1)
        return std::string(name);
    return std::nullopt;
}

std::optional<std::uint64_t> modifierNamed(std::string_view name) {
    if (name == "shift")
        return appkit::NSEventModifierFlagShift;
    if (name == "alt" || name == "option")
        return appkit::NSEventModifierFlagOption;
    // Linux desktops take their shortcuts with Control where macOS takes them with Command.
    if (name == "ctrl" || name == "cmd")
        return appkit::NSEventModifierFlagCommand;
    return std::nullopt;
}

bool LineReader::read(std::vector<ScriptStep>& steps, std::string& error) {
    for (std::string_view step : split(line_, ';')) {
        step_ = step;
        auto texts = wordsOf(step);
        std::vector<Word> words;
        for (std::string_view text : texts)
            words.push_back({text, ++wordsBefore_});
        if (words.empty())
            continue; // "down;" and "; ;" are fine
        ScriptStep parsed;
        parsed.line = lineNumber_;
        parsed.word = words[0].number;
        if (!readStep(words, parsed, error))
            return false;
        steps.push_back(std::move(parsed));
    }
    return true;
}

bool LineReader::readStep(const std::vector<Word>& words, ScriptStep& step, std::string& error) {
    auto kind = kindsByName().find(words[0].text);
    if (kind == kindsByName().end())
        return fail(words[0],
                    "no such step; steps are move, down, up, leave, wait, popover, set, frame, "
                    "title, state, enable, key, keydown, keyup, deactivate, activate, scale and snap",
                    error);
    step.kind = kind->second;
    return readArguments(words, step, error);
}

bool LineReader::readArguments(const std::vector<Word>& words, ScriptStep& step, std::string& error) {
    auto expect = [&](std::size_t count, const char* form) {
        if (words.size() == count)
            return true;
        const Word& at = words.size() > count ? words[count] : words.back();
        return fail(at, std::string("expected ") + form, error);
    };
    switch (step.kind) {
    case Kind::down:
    case Kind::up:
    case Kind::leave:
    case Kind::deactivate:
    case Kind::activate:
        return expect(1, std::string(words[0].text).c_str());
    case Kind::move:
        return expect(3, "move X Y") && readNumbers(words, 2, step, error);
    case Kind::wait:
        if (!expect(2, "wait SECONDS") || !readNumbers(words, 1, step, error))
            return false;
        return step.numbers[0] >= 0 || fail(words[1], "a wait cannot be negative", error);
    case Kind::scale:
        if (!expect(2, "scale S") || !readNumbers(words, 1, step, error))
            return false;
        return (step.numbers[0] >= 1 && step.numbers[0] <= 4) || fail(words[1], "a scale is 1 to 4", error);
    case Kind::popover:
        step.target = words.size() > 1 ? words[1].text : "";
        return expect(2, "popover ID");
    case Kind::frame:
        step.target = words.size() > 1 ? words[1].text : "";
        return expect(6, "frame ID X Y W H") && readNumbers(words, 4, step, error);
    case Kind::state:
        step.target = words.size() > 1 ? words[1].text : "";
        if (!expect(3, "state ID N") || !readNumbers(words, 1, step, error))
            return false;
        return (step.numbers[0] == -1 || step.numbers[0] == 0 || step.numbers[0] == 1) ||
               fail(words[2], "a state is -1, 0 or 1", error);
    case Kind::enable:
        step.target = words.size() > 1 ? words[1].text : "";
        if (!expect(3, "enable ID true|false"))
            return false;
        step.flag = words[2].text == "true";
        return step.flag || words[2].text == "false" || fail(words[2], "expected true or false", error);
    case Kind::title:
        if (words.size() < 2)
            return fail(words[0], "expected title ID TEXT", error);
        step.target = words[1].text;
        step.text = words.size() > 2 ? restFrom(words[2], step_) : "";
        return true;
    case Kind::set:
        if (words.size() < 4)
            return fail(words.back(), "expected set ID KEY JSON", error);
        step.target = words[1].text;
        step.name = words[2].text;
        step.text = restFrom(words[3], step_);
        return true;
    case Kind::snap:
        if (!expect(2, "snap FILE.png"))
            return false;
        step.text = words[1].text;
        return true;
    case Kind::key:
    case Kind::keyDown:
    case Kind::keyUp:
        return readKey(words, step, error);
    }
    return false;
}

bool LineReader::readNumbers(const std::vector<Word>& words, std::size_t count, ScriptStep& step,
                             std::string& error) {
    for (std::size_t i = words.size() - count; i < words.size(); ++i) {
        auto number = parseNumber(words[i].text);
        if (!number)
            return fail(words[i], "expected a number", error);
        step.numbers.push_back(*number);
    }
    return true;
}

bool LineReader::readKey(const std::vector<Word>& words, ScriptStep& step, std::string& error) {
    if (words.size() < 2)
        return fail(words[0], "expected key NAME [shift] [ctrl] [alt] [cmd]", error);
    auto characters = charactersOfKey(words[1].text);
    if (!characters)
        return fail(words[1], "a key is escape, return, tab, space or one character", error);
    step.name = *characters;
    for (std::size_t i = 2; i < words.size(); ++i) {
        auto modifier = modifierNamed(words[i].text);
        if (!modifier)
            return fail(words[i], "a modifier is shift, ctrl, alt or cmd", error);
        step.modifiers |= *modifier;
    }
    return true;
}

std::string_view LineReader::restFrom(const Word& word, std::string_view step) const {
    std::string_view rest = step.substr(static_cast<std::size_t>(word.text.data() - step.data()));
    return rest.substr(0, rest.find_last_not_of(" \t\r") + 1);
}

bool LineReader::fail(const Word& word, const std::string& why, std::string& error) const {
    error = "script line " + std::to_string(lineNumber_) + ", word " + std::to_string(word.number) + " (\"" +
            std::string(word.text) + "\"): " + why;
    return false;
}

} // namespace

std::optional<double> parseNumber(std::string_view text) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::vector<ScriptStep>> parseEventScript(std::string_view text, std::string* error) {
    std::vector<ScriptStep> steps;
    std::string fault;
    int lineNumber = 0;
    for (std::string_view line : split(text, '\n')) {
        ++lineNumber;
        auto words = wordsOf(line);
        if (!words.empty() && words[0].starts_with('#'))
            continue;
        if (!LineReader(line, lineNumber).read(steps, fault)) {
            if (error != nullptr)
                *error = fault;
            return std::nullopt;
        }
    }
    double waited = 0;
    for (const auto& step : steps) {
        waited += step.kind == Kind::wait ? step.numbers[0] : 0;
        if (waited > longestPlayedTime) {
            if (error != nullptr)
                *error = "script line " + std::to_string(step.line) + ", word " + std::to_string(step.word) +
                         " (\"wait\"): the script waits more than " +
                         std::to_string(static_cast<int>(longestPlayedTime)) + " s in all";
            return std::nullopt;
        }
    }
    return steps;
}

} // namespace uisnap
