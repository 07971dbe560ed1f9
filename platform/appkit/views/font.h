#pragma once

#include <optional>
#include <string>

namespace appkit {

class Coder;

// A font by family and point size. The system font is DejaVu Sans, which the project installs
// everywhere, so that text measures the same on every machine.
class Font {
public:
    static constexpr double systemFontSize = 13.0;
    static constexpr const char* systemFamily = "DejaVu Sans";

    static Font systemFontOfSize(double pointSize) { return Font(systemFamily, pointSize); }
    static Font fontWithName(std::string family, double pointSize) {
        return Font(std::move(family), pointSize);
    }
    // "font": {"name": "DejaVu Serif", "size": 15}; a missing name is the system font's, a missing
    // size the system size.
    static std::optional<Font> decode(const Coder& coder, const char* key);

    const std::string& familyName() const { return family_; }
    double pointSize() const { return pointSize_; }
    bool operator==(const Font&) const = default;

private:
    Font(std::string family, double pointSize) : family_(std::move(family)), pointSize_(pointSize) {}

    std::string family_;
    double pointSize_;
};

} // namespace appkit
