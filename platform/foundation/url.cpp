#include "platform/foundation/url.h"

#include "platform/foundation/file_manager.h"

#include <algorithm>
#include <cctype>
#include <uriparser/Uri.h>
#include <vector>

namespace foundation {

namespace {

class ParsedUri {
public:
    explicit ParsedUri(std::string_view text) {
        const char* errorPosition = nullptr;
        valid_ = uriParseSingleUriExA(&uri_, text.data(), text.data() + text.size(), &errorPosition) ==
                 URI_SUCCESS;
    }
    ~ParsedUri() { uriFreeUriMembersA(&uri_); }
    ParsedUri(const ParsedUri&) = delete;
    ParsedUri& operator=(const ParsedUri&) = delete;

    bool isValid() const { return valid_; }
    std::string scheme() const { return lowercased(rangeText(uri_.scheme)); }
    std::string decodedPath() const {
        std::string path = uri_.absolutePath || (uri_.hostText.first != nullptr) ? "/" : "";
        for (auto* segment = uri_.pathHead; segment != nullptr; segment = segment->next) {
            path += rangeText(segment->text);
            if (segment->next != nullptr)
                path += '/';
        }
        return unescaped(std::move(path));
    }

private:
    static std::string rangeText(const UriTextRangeA& range) {
        if (range.first == nullptr || range.afterLast == nullptr)
            return {};
        return std::string(range.first, range.afterLast);
    }
    static std::string lowercased(std::string text) {
        std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::tolower(c); });
        return text;
    }
    static std::string unescaped(std::string text) {
        std::vector<char> buffer(text.begin(), text.end());
        buffer.push_back('\0');
        const char* end = uriUnescapeInPlaceExA(buffer.data(), URI_FALSE, URI_BR_DONT_TOUCH);
        return std::string(static_cast<const char*>(buffer.data()), end);
    }

    UriUriA uri_{};
    bool valid_ = false;
};

std::string percentEncodedPath(const std::string& path) {
    std::string encoded;
    for (unsigned char c : path) {
        bool keeps = std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
        if (keeps) {
            encoded += static_cast<char>(c);
            continue;
        }
        encoded += '%';
        encoded += "0123456789ABCDEF"[c >> 4];
        encoded += "0123456789ABCDEF"[c & 0xF];
    }
    return encoded;
}

} // namespace

std::optional<URL> URL::URLWithString(std::string_view text) {
    ParsedUri uri(text);
    if (!uri.isValid())
        return std::nullopt;
    return URL(std::string(text), uri.scheme(), uri.decodedPath());
}

URL URL::fileURLWithPath(std::string path) {
    if (!path.starts_with('/')) {
        // A relative path names a file in the working directory.
        if (auto directory = FileManager::defaultManager().currentDirectoryPath())
            path = (*directory == "/" ? "" : *directory) + "/" + path;
    }
    std::string text = "file://" + percentEncodedPath(path);
    return URL(std::move(text), "file", std::move(path));
}

} // namespace foundation
