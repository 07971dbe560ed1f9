#include "platform/preferences/property_list_guard.h"
#include "platform/preferences/property_list_limits.h"

#include <vector>

namespace foundation {

namespace {

// Where the markup that starts at `position` ends, skipping what libplist skips as a whole:
// comments, CDATA sections, declarations and processing instructions. npos when it never ends.
std::size_t endOfSkippedMarkup(std::string_view bytes, std::size_t position) {
    std::string_view rest = bytes.substr(position);
    if (rest.starts_with("<!--"))
        return bytes.find("-->", position + 4);
    if (rest.starts_with("<![CDATA["))
        return bytes.find("]]>", position + 9);
    if (rest.starts_with("<?"))
        return bytes.find("?>", position + 2);
    return bytes.find('>', position + 2); // "<!DOCTYPE …>": the shortest skip libplist could make
}

bool isNameEnd(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

std::string_view tagName(std::string_view bytes, std::size_t start) {
    std::size_t end = start;
    while (end < bytes.size() && !isNameEnd(bytes[end]))
        ++end;
    return bytes.substr(start, end - start);
}

bool isContainer(std::string_view name) {
    return name == "array" || name == "dict";
}

class ContainerNesting {
public:
    // False once the nesting goes past the limit.
    bool open(std::string_view name) {
        open_.push_back(name == "dict");
        return open_.size() <= maximumPropertyListDepth;
    }
    // Only a close tag that matches the innermost open container ends it; libplist refuses the
    // others, so counting them would only ever undercount.
    void close(std::string_view name) {
        if (!open_.empty() && open_.back() == (name == "dict"))
            open_.pop_back();
    }

private:
    std::vector<bool> open_;
};

} // namespace

bool xmlPropertyListIsWithinLimits(std::string_view bytes, std::string* reason) {
    ContainerNesting nesting;
    for (std::size_t position = bytes.find('<'); position != std::string_view::npos;
         position = bytes.find('<', position + 1)) {
        if (position + 1 >= bytes.size())
            break;
        char next = bytes[position + 1];
        if (next == '!' || next == '?') {
            position = endOfSkippedMarkup(bytes, position);
            if (position == std::string_view::npos)
                break;
            continue;
        }
        std::size_t tagEnd = bytes.find('>', position);
        bool closing = next == '/';
        std::string_view name = tagName(bytes, position + (closing ? 2 : 1));
        bool selfClosing = tagEnd != std::string_view::npos && bytes[tagEnd - 1] == '/';
        if (!isContainer(name) || selfClosing)
            continue;
        if (closing) {
            nesting.close(name);
        } else if (!nesting.open(name)) {
            if (reason)
                *reason = "nested deeper than " + std::to_string(maximumPropertyListDepth) + " levels";
            return false;
        }
    }
    return true;
}

} // namespace foundation
