#pragma once

#include "platform/quartz/bitmap.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace pixels {

// Whether two colours agree to within a tolerance in every component (8-bit pixels round).
inline ::testing::AssertionResult near(const quartz::Color& actual, const quartz::Color& expected,
                                       double tolerance = 2.5 / 255) {
    auto components = [](const quartz::Color& c) {
        return std::array{c.red(), c.green(), c.blue(), c.alpha()};
    };
    auto got = components(actual), wanted = components(expected);
    for (std::size_t i = 0; i < 4; ++i)
        if (std::abs(got[i] - wanted[i]) > tolerance)
            return ::testing::AssertionFailure()
                   << "got rgba(" << got[0] << ", " << got[1] << ", " << got[2] << ", " << got[3] << ")";
    return ::testing::AssertionSuccess();
}

inline double alphaAt(const quartz::Bitmap& bitmap, int x, int y) {
    return static_cast<double>(bitmap.argbAt(x, y) >> 24) / 255.0;
}

// The smallest pixel box holding every pixel with alpha above a threshold, and how many there are.
struct InkBox {
    int minX, minY, maxX = -1, maxY = -1, count = 0;
};

inline InkBox inkBox(const quartz::Bitmap& bitmap, double threshold = 0) {
    InkBox box{bitmap.width(), bitmap.height()};
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (alphaAt(bitmap, x, y) > threshold)
                box = {std::min(box.minX, x), std::min(box.minY, y), std::max(box.maxX, x),
                       std::max(box.maxY, y), box.count + 1};
    return box;
}

} // namespace pixels
