// The layer renderer on a window-sized tree: 400 x 200 points, a dozen layers with a gradient, a
// wrapped text layer, two shadows, an opacity group and a mask, at scale 1 and 2.
// Target: well under 4 ms a frame at scale 2.

#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/renderer.h"
#include "platform/quartz/shape_layer.h"
#include "platform/quartz/text_layer.h"
#include "platform/quartz/text_layout.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <string>
#include <vector>

namespace {

using quartz::Color;
using quartz::Layer;
using quartz::Rect;

constexpr quartz::Size windowSize{400, 200};

std::shared_ptr<Layer> windowTree(double textScale) {
    auto root = Layer::layer();
    root->setFrame(Rect({0, 0}, windowSize));
    root->setBackgroundColor(Color(0.95, 0.95, 0.97, 1));

    auto header = quartz::GradientLayer::layer();
    header->setFrame(Rect(0, 150, 400, 50));
    header->setColors({Color(0.2, 0.4, 0.8, 1), Color(0.5, 0.7, 1, 1)});
    root->addSublayer(header);

    auto card = Layer::layer();
    card->setFrame(Rect(20, 20, 220, 110));
    card->setBackgroundColor(Color::whiteColor());
    card->setCornerRadius(8);
    card->setBorderWidth(1);
    card->setBorderColor(Color(0.8, 0.8, 0.85, 1));
    card->setShadowOpacity(0.4f);
    card->setShadowRadius(6);
    root->addSublayer(card);

    auto title = quartz::TextLayer::layer();
    title->setFrame(Rect(12, 60, 196, 40));
    title->setString("Check in to Vantrel, then wait for the manager");
    title->setFontSize(15);
    title->setWrapped(true);
    title->setForegroundColor(Color(0.1, 0.1, 0.1, 1));
    title->setContentsScale(textScale);
    card->addSublayer(title);

    for (int index = 0; index < 4; ++index) {
        auto dot = quartz::ShapeLayer::layer();
        dot->setFrame(Rect(14 + index * 26, 14, 18, 18));
        dot->setFillColor(Color(0.2 + 0.2 * index, 0.5, 0.3, 1));
        card->addSublayer(dot);
    }

    auto button = Layer::layer();
    button->setFrame(Rect(270, 40, 100, 32));
    button->setGeometryFlipped(true);
    button->setBackgroundColor(Color(0.1, 0.5, 0.9, 1));
    button->setCornerRadius(16);
    button->setShadowOpacity(0.5f);
    button->setShadowRadius(3);
    button->setShadowOffset({0, -2});
    root->addSublayer(button);
    auto highlight = Layer::layer();
    highlight->setFrame(Rect(4, 4, 92, 12));
    highlight->setBackgroundColor(Color(1, 1, 1, 0.3));
    highlight->setCornerRadius(6);
    button->addSublayer(highlight);

    auto badge = Layer::layer();
    badge->setFrame(Rect(300, 100, 40, 40));
    badge->setBackgroundColor(Color(0.9, 0.3, 0.2, 1));
    badge->setOpacity(0.7f);
    auto circle = Layer::layer();
    circle->setFrame(Rect(0, 0, 40, 40));
    circle->setBackgroundColor(Color::blackColor());
    circle->setCornerRadius(20);
    badge->setMask(circle);
    root->addSublayer(badge);
    return root;
}

// Into one bitmap kept across frames, cleared each frame, as a window back end draws.
void drawIntoReusedBitmap(benchmark::State& state, double scale, double textScale) {
    auto tree = windowTree(textScale);
    auto bitmap = quartz::Bitmap::make(static_cast<int>(windowSize.width * scale),
                                       static_cast<int>(windowSize.height * scale));
    cairo_t* cairo = cairo_create(bitmap->cairoSurface());
    cairo_translate(cairo, 0, bitmap->height());
    cairo_scale(cairo, scale, -scale);
    quartz::GraphicsContext context(cairo, scale, false);
    for (auto _ : state) {
        cairo_save(cairo);
        cairo_set_operator(cairo, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cairo);
        cairo_restore(cairo);
        quartz::drawLayerTree(context, *tree, 0);
        cairo_surface_flush(bitmap->cairoSurface());
        benchmark::DoNotOptimize(bitmap->argbAt(0, 0));
    }
    cairo_destroy(cairo);
}

void BM_DrawLayerTree(benchmark::State& state) {
    double scale = static_cast<double>(state.range(0));
    drawIntoReusedBitmap(state, scale, scale);
}
BENCHMARK(BM_DrawLayerTree)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The text layer left at contents scale 1 on a scale 2 screen: through its backing store.
void BM_DrawLayerTreeUpscaledText(benchmark::State& state) {
    drawIntoReusedBitmap(state, 2, 1);
}
BENCHMARK(BM_DrawLayerTreeUpscaledText)->Unit(benchmark::kMicrosecond);

// A fresh bitmap each frame, as a snapshot takes one.
void BM_RenderLayerTree(benchmark::State& state) {
    double scale = static_cast<double>(state.range(0));
    auto tree = windowTree(scale);
    for (auto _ : state) {
        auto bitmap = quartz::renderLayerTree(*tree, windowSize, scale, 0);
        benchmark::DoNotOptimize(bitmap->argbAt(0, 0));
    }
}
BENCHMARK(BM_RenderLayerTree)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// Measuring a label again, as every layout pass does: the recent layouts answer.
void BM_SizeOfTextAgain(benchmark::State& state) {
    quartz::TextStyle style;
    style.wraps = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            quartz::sizeOfText("Check in to Vantrel, then wait for the manager", style, 196.0));
}
BENCHMARK(BM_SizeOfTextAgain)->Unit(benchmark::kMicrosecond);

// Measuring text not seen lately: laid out and shaped afresh (more strings than are kept).
void BM_SizeOfTextFresh(benchmark::State& state) {
    quartz::TextStyle style;
    style.wraps = true;
    std::vector<std::string> texts;
    for (int index = 0; index < 256; ++index)
        texts.push_back("Check in to Vantrel, then wait for the manager " + std::to_string(index));
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(quartz::sizeOfText(texts[next], style, 196.0));
        next = (next + 1) % texts.size();
    }
}
BENCHMARK(BM_SizeOfTextFresh)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
