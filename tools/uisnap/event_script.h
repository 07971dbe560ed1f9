#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace uisnap {

// One step of a script, as written; the ids it names are checked against the interface later.
// Points are in window coordinates, origin at the bottom left.
struct ScriptStep {
    enum class Kind {
        move,
        down,
        up,
        leave,
        wait,    // the pointer, and time
        popover, // the shared help popover for target
        set,
        frame,
        title,
        state,
        enable,
        key, // a press and its release
        keyDown,
        keyUp,
        deactivate,
        activate,
        scale,
        snap, // a picture to file, now
    };
    Kind kind = Kind::move;
    // Where the step was written, for messages: line and the first word's number on it, from 1.
    int line = 1;
    int word = 1;
    // move X Y; wait SECONDS; frame X Y W H; state N; scale S.
    std::vector<double> numbers;
    // The object id of popover, set, frame, title, state and enable.
    std::string target;
    // set: the key; key: the characters the key types ("\x1b" for escape).
    std::string name;
    // set: the value's JSON text; title: the text; snap: the file.
    std::string text;
    // enable: whether; key: the modifier flags.
    bool flag = false;
    std::uint64_t modifiers = 0;
};

// The longest a script may wait in all, and the longest --time: time is played in frames.
constexpr double longestPlayedTime = 600;

// Parses steps separated by semicolons or line breaks, words by spaces; a line starting with #
// is a comment. None, with a message naming the line and word at fault, for anything else.
std::optional<std::vector<ScriptStep>> parseEventScript(std::string_view text, std::string* error);

// A finite number written in full, as the C locale writes it.
std::optional<double> parseNumber(std::string_view text);

// What a script may say, for the usage text.
constexpr std::string_view scriptSteps =
    "    move X Y | down | up | leave | wait SECONDS        the pointer, in window points from the bottom "
    "left\n"
    "    popover ID                    shows the shared help popover for the object, as its hover timer "
    "would\n"
    "    set ID KEY JSON               sets a property by key, as interface files do\n"
    "    frame ID X Y W H | title ID TEXT | state ID N | enable ID true|false\n"
    "    key NAME [shift] [ctrl] [alt] [cmd]   a key pressed and released in the window (NAME: escape,\n"
    "                                  return, tab, space or one character; ctrl is taken as cmd, as on\n"
    "                                  Linux desktops); keydown and keyup take the same words\n"
    "    deactivate | activate         the window loses or regains key status\n"
    "    scale S                       the window's backing scale changes, 1 to 4\n"
    "    snap FILE.png                 writes a picture now\n";

} // namespace uisnap
