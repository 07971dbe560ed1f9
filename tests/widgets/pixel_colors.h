#pragma once

#include "platform/quartz/color.h"

#include <cmath>
#include <ostream>

// Whether two rendered colours are the same to the eye (anti-aliasing and rounding aside).
inline bool looksLike(quartz::Color a, quartz::Color b) {
    auto close = [](double x, double y) { return std::abs(x - y) <= 0.03; };
    return close(a.red(), b.red()) && close(a.green(), b.green()) && close(a.blue(), b.blue()) &&
           close(a.alpha(), b.alpha());
}

namespace quartz {
inline void PrintTo(const Color& color, std::ostream* out) {
    *out << "(" << color.red() << ", " << color.green() << ", " << color.blue() << ", " << color.alpha()
         << ")";
}
} // namespace quartz
