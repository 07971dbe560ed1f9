#include "platform/quartz/shadow_blur.h"

#include "platform/quartz/bitmap.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace quartz {

namespace {

// Averages of 2r + 1 values by multiplication: sum × scale >> 24, rounded. The largest sum,
// 255 × (2r + 1), times the scale stays below 255 × 2^24, so 32 bits hold it with the rounding.
struct BoxAverage {
    explicit BoxAverage(int radius) : scale((1u << 24) / static_cast<std::uint32_t>(2 * radius + 1)) {}
    std::uint8_t operator()(std::uint32_t sum) const {
        return static_cast<std::uint8_t>((sum * scale + (1u << 23)) >> 24);
    }
    std::uint32_t scale;
};

// One box blur along a row of n values, values beyond the ends counting as 0.
void blurRow(const std::uint8_t* in, std::uint8_t* out, int n, int radius) {
    BoxAverage average(radius);
    std::uint32_t sum = 0;
    for (int i = 0; i < std::min(radius, n); ++i)
        sum += in[i];
    for (int x = 0; x < n; ++x) {
        if (x + radius < n)
            sum += in[x + radius];
        out[x] = average(sum);
        if (x - radius >= 0)
            sum -= in[x - radius];
    }
}

// One box blur down every column at once, a row of running sums wide, so memory is read in rows.
void blurColumns(const std::uint8_t* in, std::uint8_t* out, int width, int height, int stride, int radius,
                 std::vector<std::uint32_t>& sums) {
    BoxAverage average(radius);
    sums.assign(static_cast<std::size_t>(width), 0);
    std::uint32_t* sum = sums.data();
    for (int y = 0; y < std::min(radius, height); ++y) {
        const std::uint8_t* row = in + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            sum[x] += row[x];
    }
    for (int y = 0; y < height; ++y) {
        if (y + radius < height) {
            const std::uint8_t* entering = in + static_cast<std::ptrdiff_t>(y + radius) * stride;
            for (int x = 0; x < width; ++x)
                sum[x] += entering[x];
        }
        std::uint8_t* row = out + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            row[x] = average(sum[x]);
        if (y - radius >= 0) {
            const std::uint8_t* leaving = in + static_cast<std::ptrdiff_t>(y - radius) * stride;
            for (int x = 0; x < width; ++x)
                sum[x] -= leaving[x];
        }
    }
}

int floorDiv(int value, int divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

int ceilDiv(int value, int divisor) {
    return -floorDiv(-value, divisor);
}

// The alpha of an ARGB32 raster averaged over blocks of factor x factor device pixels, into an
// A8 buffer whose pixel (gx, gy) covers the block at grid position (originX + gx, originY + gy).
// Blocks the source covers only in part count the rest as clear.
void downsampleAlpha(const DeviceRaster& source, int factor, int originX, int originY, std::uint8_t* alpha,
                     int stride) {
    cairo_surface_flush(source.surface());
    const unsigned char* data = cairo_image_surface_get_data(source.surface());
    int sourceStride = cairo_image_surface_get_stride(source.surface());
    int firstColumn = floorDiv(source.x(), factor);
    int columns = ceilDiv(source.x() + source.width(), factor) - firstColumn;
    // Source pixels before the first whole block.
    int lead = source.x() - firstColumn * factor;
    int shift = factor == 1 ? 0 : factor == 2 ? 2 : 4;
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(columns));
    int firstRow = floorDiv(source.y(), factor);
    int lastRow = floorDiv(source.y() + source.height() - 1, factor);
    for (int gridY = firstRow; gridY <= lastRow; ++gridY) {
        std::fill(sums.begin(), sums.end(), 0);
        int top = std::max(gridY * factor, source.y());
        int bottom = std::min((gridY + 1) * factor, source.y() + source.height());
        for (int deviceY = top; deviceY < bottom; ++deviceY) {
            const unsigned char* in = data + static_cast<std::ptrdiff_t>(deviceY - source.y()) * sourceStride;
            int column = 0;
            int inBlock = lead;
            for (int x = 0; x < source.width(); ++x) {
                std::uint32_t pixel;
                std::memcpy(&pixel, in + x * 4, sizeof pixel);
                sums[static_cast<std::size_t>(column)] += pixel >> 24;
                if (++inBlock == factor) {
                    inBlock = 0;
                    ++column;
                }
            }
        }
        std::uint8_t* out =
            alpha + static_cast<std::ptrdiff_t>(gridY - originY) * stride + (firstColumn - originX);
        std::uint32_t half = shift ? 1u << (shift - 1) : 0;
        for (int column = 0; column < columns; ++column)
            out[column] = static_cast<std::uint8_t>((sums[static_cast<std::size_t>(column)] + half) >> shift);
    }
}

// Stretches an A8 grid of blocks of factor x factor pixels back to pixels, bilinearly between the
// blocks' centres (edge blocks held), into an A8 surface factor times as large each way.
void upsampleAlpha(const std::uint8_t* grid, int gridStride, int gridWidth, int gridHeight, int factor,
                   std::uint8_t* pixels, int stride) {
    // A pixel's centre lies at (2p + 1 - factor) / (2 factor) grid pixels: a whole part and a
    // weight of the next grid pixel in 256ths (2 factor divides 256).
    struct Tap {
        int first;
        int second;
        std::uint32_t weight;
    };
    auto tapsFor = [factor](int count) {
        std::vector<Tap> taps(static_cast<std::size_t>(count * factor));
        for (int p = 0; p < count * factor; ++p) {
            int numerator = 2 * p + 1 - factor;
            int whole = floorDiv(numerator, 2 * factor);
            int rest = numerator - whole * 2 * factor;
            taps[static_cast<std::size_t>(p)] = {std::clamp(whole, 0, count - 1),
                                                 std::clamp(whole + 1, 0, count - 1),
                                                 static_cast<std::uint32_t>(rest * 256 / (2 * factor))};
        }
        return taps;
    };
    std::vector<Tap> across = tapsFor(gridWidth);
    std::vector<Tap> down = tapsFor(gridHeight);
    int width = gridWidth * factor;
    // Each grid row stretched across, kept for the two output rows' worth of rows that need it.
    std::vector<std::uint8_t> stretched(static_cast<std::size_t>(width) * gridHeight);
    for (int row = 0; row < gridHeight; ++row) {
        const std::uint8_t* in = grid + static_cast<std::ptrdiff_t>(row) * gridStride;
        std::uint8_t* out = stretched.data() + static_cast<std::ptrdiff_t>(row) * width;
        for (int x = 0; x < width; ++x) {
            const Tap& tap = across[static_cast<std::size_t>(x)];
            out[x] = static_cast<std::uint8_t>(
                (in[tap.first] * (256 - tap.weight) + in[tap.second] * tap.weight + 128) >> 8);
        }
    }
    for (int y = 0; y < gridHeight * factor; ++y) {
        const Tap& tap = down[static_cast<std::size_t>(y)];
        const std::uint8_t* upper = stretched.data() + static_cast<std::ptrdiff_t>(tap.first) * width;
        const std::uint8_t* lower = stretched.data() + static_cast<std::ptrdiff_t>(tap.second) * width;
        std::uint8_t* out = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        std::uint32_t weight = tap.weight;
        for (int x = 0; x < width; ++x)
            out[x] = static_cast<std::uint8_t>((upper[x] * (256 - weight) + lower[x] * weight + 128) >> 8);
    }
}

} // namespace

BlurredAlpha::~BlurredAlpha() {
    if (surface_)
        cairo_surface_destroy(surface_);
}

BlurredAlpha::BlurredAlpha(BlurredAlpha&& other) noexcept
    : surface_(std::exchange(other.surface_, nullptr)), x_(other.x_), y_(other.y_) {}

void BlurredAlpha::paint(cairo_t* cairo, double dx, double dy, const Color& tint) const {
    cairo_save(cairo);
    cairo_identity_matrix(cairo);
    // Moved by whole device pixels, which no blurred edge can show, so that Pixman composites the
    // tint through the alpha on its fast path rather than resampling every pixel.
    cairo_translate(cairo, std::round(dx), std::round(dy));
    cairo_set_source_rgba(cairo, tint.red(), tint.green(), tint.blue(), tint.alpha());
    cairo_mask_surface(cairo, surface_, x_, y_);
    cairo_restore(cairo);
}

ShadowBlur::ShadowBlur(double sigma) {
    if (!(sigma > 0) || !std::isfinite(sigma))
        return;
    sigma = std::min(sigma, 2000.0);
    // On a coarser grid, the averaging into blocks and the bilinear stretch back blur a little
    // themselves (a variance of about factor² / 4); the boxes leave that out.
    factor_ = sigma >= 12 ? 4 : sigma >= 4 ? 2 : 1;
    double gridSigma =
        std::sqrt(std::max(sigma * sigma - (factor_ > 1 ? factor_ * factor_ / 4.0 : 0.0), 0.0)) / factor_;
    // Box widths whose three passes have the variance of the Gaussian (Kutskir's fit): the first
    // boxes of the odd width below the ideal one, the rest two wider.
    constexpr int passes = 3;
    double variance12 = 12 * gridSigma * gridSigma;
    int lower = static_cast<int>(std::floor(std::sqrt(variance12 / passes + 1)));
    if (lower % 2 == 0)
        --lower;
    double idealLowerCount =
        (variance12 - passes * lower * lower - 4.0 * passes * lower - 3.0 * passes) / (-4.0 * lower - 4.0);
    int lowerCount = static_cast<int>(std::lround(idealLowerCount));
    for (int pass = 0; pass < passes; ++pass) {
        int width = pass < lowerCount ? lower : lower + 2;
        radii_[pass] = (width - 1) / 2;
    }
}

int ShadowBlur::reach() const {
    // One grid pixel more for the blocks the source covers in part.
    return factor_ == 1 ? boxReach() : (boxReach() + 1) * factor_;
}

BlurredAlpha ShadowBlur::blurredAlpha(const DeviceRaster& source) const {
    int grow = boxReach();
    int originX = floorDiv(source.x(), factor_) - grow;
    int originY = floorDiv(source.y(), factor_) - grow;
    int width = ceilDiv(source.x() + source.width(), factor_) + grow - originX;
    int height = ceilDiv(source.y() + source.height(), factor_) + grow - originY;
    if (width * factor_ > Bitmap::maximumSide || height * factor_ > Bitmap::maximumSide)
        return {};
    std::vector<std::uint8_t> grid(static_cast<std::size_t>(width) * height);
    downsampleAlpha(source, factor_, originX, originY, grid.data(), width);

    std::vector<std::uint8_t> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = grid.data() + static_cast<std::ptrdiff_t>(y) * width;
        for (int radius : radii_) {
            if (radius == 0)
                continue;
            blurRow(line, row.data(), width, radius);
            std::memcpy(line, row.data(), row.size());
        }
    }
    std::vector<std::uint8_t> scratch(grid.size());
    std::vector<std::uint32_t> sums;
    std::uint8_t* from = grid.data();
    std::uint8_t* to = scratch.data();
    for (int radius : radii_) {
        if (radius == 0)
            continue;
        blurColumns(from, to, width, height, width, radius, sums);
        std::swap(from, to);
    }

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width * factor_, height * factor_);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return {};
    }
    cairo_surface_flush(surface);
    int stride = cairo_image_surface_get_stride(surface);
    std::uint8_t* pixels = cairo_image_surface_get_data(surface);
    if (factor_ == 1) {
        for (int y = 0; y < height; ++y)
            std::memcpy(pixels + static_cast<std::ptrdiff_t>(y) * stride,
                        from + static_cast<std::ptrdiff_t>(y) * width, static_cast<std::size_t>(width));
    } else {
        upsampleAlpha(from, width, width, height, factor_, pixels, stride);
    }
    cairo_surface_mark_dirty(surface);
    return BlurredAlpha(surface, originX * factor_, originY * factor_);
}

} // namespace quartz
