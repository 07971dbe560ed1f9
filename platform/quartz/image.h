#pragma once

#include "platform/quartz/bitmap.h"
#include "platform/quartz/geometry.h"

#include <memory>
#include <optional>
#include <string>

namespace quartz {

// An immutable image loaded from a PNG file. A value: copies share the pixels, and two images are
// equal when they share them.
class Image {
public:
    // Larger images are refused before any pixel memory is taken for them.
    static constexpr int maximumSide = 8192;

    // None when the file is missing, unreadable, not a PNG or too large. A name ending in "@2x.png"
    // marks pixels at twice the point density.
    static std::optional<Image> imageWithContentsOfFile(const std::string& path);

    // In points.
    Size size() const { return size_; }

    // The pixels as loaded, at the image's own density.
    const std::shared_ptr<const Bitmap>& bitmap() const { return pixels_; }
    bool operator==(const Image& other) const { return pixels_ == other.pixels_; }

private:
    Image(std::shared_ptr<const Bitmap> pixels, Size size) : pixels_(std::move(pixels)), size_(size) {}

    std::shared_ptr<const Bitmap> pixels_;
    Size size_;
};

} // namespace quartz
