#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Where the host's text goes: the diagnostic log, or reply frames on standard output.
class TextOutputStream {
public:
    virtual ~TextOutputStream() = default;
    virtual void write(std::string_view text) = 0;
    // Writes the pieces as one text. A sink that can take them as they are spares joining them.
    virtual void writeJoined(std::initializer_list<std::string_view> pieces) {
        std::string text;
        for (std::string_view piece : pieces)
            text.append(piece);
        write(text);
    }
};
