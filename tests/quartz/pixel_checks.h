#pragma once

#include "platform/quartz/bitmap.h"
#include "platform/quartz/color.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <ostream>

namespace quartz {

// Printed as components when a colour check fails.
inline void PrintTo(const Color& color, std::ostream* out) {
    *out << "rgba(" << color.red() << ", " << color.green() << ", " << color.blue() << ", " << color.alpha()
         << ")";
}

} // namespace quartz

namespace pixels {

// Whether two colours agree to within a tolerance in every component (8-bit pixels round).
inline ::testing::AssertionResult near(const quartz::Color& actual, const quartz::Color& expected,
                                       double tolerance = 2.5 / 255) {
    bool close = std::abs(actual.red() - expected.red()) <= tolerance &&
                 std::abs(actual.green() - expected.green()) <= tolerance &&
                 std::abs(actual.blue() - expected.blue()) <= tolerance &&
                 std::abs(actual.alpha() - expected.alpha()) <= tolerance;
    if (close)
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "got rgba(" << actual.red() << ", " << actual.green() << ", " << actual.blue() << ", "
            << actual.alpha() << "), expected rgba(" << expected.red() << ", " << expected.green() << ", "
            << expected.blue() << ", " << expected.alpha() << ")";
    return failure;
}

inline double alphaAt(const quartz::Bitmap& bitmap, int x, int y) {
    return static_cast<double>(bitmap.argbAt(x, y) >> 24) / 255.0;
}

// The smallest pixel box holding every pixel with alpha above a threshold, and how many there are.
struct InkBox {
    int minX = 0;
    int minY = 0;
    int maxX = -1;
    int maxY = -1;
    int count = 0;
};

inline InkBox inkBox(const quartz::Bitmap& bitmap, double threshold = 0) {
    InkBox box{bitmap.width(), bitmap.height(), -1, -1, 0};
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            if (alphaAt(bitmap, x, y) <= threshold)
                continue;
            box.minX = std::min(box.minX, x);
            box.minY = std::min(box.minY, y);
            box.maxX = std::max(box.maxX, x);
            box.maxY = std::max(box.maxY, y);
            ++box.count;
        }
    }
    return box;
}

} // namespace pixels
