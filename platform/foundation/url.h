#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// An RFC 3986 URI reference, parsed by uriparser.
class URL {
public:
    // None when the text is not a URI reference (spaces, stray percent signs and the like).
    static std::optional<URL> URLWithString(std::string_view text);
    // Keeps the path exactly (spaces, non-ASCII); only the URL's text is percent-encoded. A relative
    // path is taken from the working directory.
    static URL fileURLWithPath(std::string path);

    const std::string& absoluteString() const { return text_; }
    // Lower-cased; empty for a relative reference.
    const std::string& scheme() const { return scheme_; }
    bool hasScheme() const { return !scheme_.empty(); }
    bool isFileURL() const { return scheme_ == "file"; }
    // The decoded path; for a file URL the file-system path it names.
    const std::string& path() const { return path_; }

    bool operator==(const URL& other) const { return text_ == other.text_; }

private:
    URL(std::string text, std::string scheme, std::string path)
        : text_(std::move(text)), scheme_(std::move(scheme)), path_(std::move(path)) {}

    std::string text_;
    std::string scheme_;
    std::string path_;
};

} // namespace foundation
