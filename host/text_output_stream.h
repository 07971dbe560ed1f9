#pragma once

#include <string_view>

// Where the host's text goes: the diagnostic log, or reply frames on standard output.
class TextOutputStream {
public:
    virtual ~TextOutputStream() = default;
    virtual void write(std::string_view text) = 0;
};
