#include "frames.h"

#include <cstdint>
#include <stdexcept>

namespace bench {

std::string encode_frame(std::string_view body) {
    const auto length = static_cast<std::uint32_t>(body.size());
    std::string frame;
    frame.reserve(4 + body.size());
    for (int shift = 0; shift < 32; shift += 8) {
        frame.push_back(static_cast<char>((length >> shift) & 0xFFu));
    }
    frame.append(body);
    return frame;
}

std::string options_reply_frame(std::string_view data_json) {
    std::string body = R"({"options": )";
    body.append(data_json);
    body.push_back('}');
    return encode_frame(body);
}

std::string small_data_json() {
    return R"({
  "version": 3,
  "theme": "dark",
  "language": "fr-FR",
  "greeting": "Bonjour, ça va ? Grüße aus Zürich — 東京 ✓ 🚀",
  "homepage": "https://example.org/start?lang=fr&utm_source=settings",
  "startup": { "restoreSession": true, "openTabs": ["https://example.org/", "https://example.net/news"] },
  "privacy": {
    "blockThirdPartyCookies": true,
    "doNotTrack": true,
    "clearOnExit": ["cache", "downloads"],
    "allowList": ["example.org", "intranet.example.com", "mail.example.net"]
  },
  "shortcuts": [
    { "keys": "Ctrl+Shift+O", "action": "openOptions" },
    { "keys": "Ctrl+Shift+L", "action": "openLauncher" },
    { "keys": "Alt+Home", "action": "goHome" }
  ],
  "limits": { "maxTabs": 250, "idleMinutes": 30, "ratio": 0.75, "nothing": null },
  "notes": "Line one\nLine two with \"quotes\" and a tab\tand a backslash \\ in it."
}
)";
}

std::string large_data_json(std::size_t size) {
    constexpr std::string_view opening = R"({"entries": [)";
    constexpr std::string_view closing = "\n], \"padding\": \"\"}\n";
    if (size < opening.size() + closing.size() + 32) {
        throw std::invalid_argument("large_data_json: size too small");
    }
    std::string json(opening);
    const std::size_t body_limit = size - closing.size();
    for (std::size_t id = 0;; ++id) {
        std::string entry = (id == 0 ? "\n" : ",\n");
        entry += R"(  {"id": )" + std::to_string(id) + R"(, "name": "entry-)" + std::to_string(id) +
                 R"(", "enabled": true, "label": "Réglage numéro )" + std::to_string(id) + R"("})";
        if (json.size() + entry.size() > body_limit) {
            break;
        }
        json += entry;
    }
    // Pad inside the last string so the document is valid and exactly `size` bytes.
    const std::size_t missing = size - json.size() - closing.size();
    std::string tail(closing);
    tail.insert(tail.find("\"\"") + 1, std::string(missing, '.'));
    return json + tail;
}

std::string large_options_request_body(std::size_t body_size) {
    constexpr std::string_view opening = R"({"options":")";
    constexpr std::string_view closing = R"("})";
    constexpr std::string_view alphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
    if (body_size < opening.size() + closing.size()) {
        throw std::invalid_argument("large_options_request_body: size too small");
    }
    std::string body(opening);
    body.reserve(body_size);
    const std::size_t filler = body_size - opening.size() - closing.size();
    for (std::size_t i = 0; i < filler; ++i) {
        body.push_back(alphabet[i % alphabet.size()]);
    }
    body.append(closing);
    return body;
}

} // namespace bench
