#include "platform/appkit/windows/key_view_loop.h"

#include <algorithm>

namespace appkit {

namespace {

void collectKeyViews(const std::shared_ptr<View>& view, std::vector<std::shared_ptr<View>>& found) {
    if (view->acceptsFirstResponder())
        found.push_back(view);
    for (const auto& subview : view->subviews())
        collectKeyViews(subview, found);
}

} // namespace

std::vector<std::shared_ptr<View>> keyViewLoop(View& root) {
    std::vector<std::shared_ptr<View>> loop;
    for (const auto& subview : root.subviews())
        collectKeyViews(subview, loop);
    auto readingOrder = [](const std::shared_ptr<View>& a, const std::shared_ptr<View>& b) {
        quartz::Rect first = a->convertRectToWindow(a->bounds());
        quartz::Rect second = b->convertRectToWindow(b->bounds());
        if (first.maxY() != second.maxY())
            return first.maxY() > second.maxY(); // window points grow upwards
        return first.minX() < second.minX();
    };
    std::stable_sort(loop.begin(), loop.end(), readingOrder);
    return loop;
}

std::shared_ptr<View> keyViewAfter(const std::vector<std::shared_ptr<View>>& loop, const View* current,
                                   bool forward) {
    if (loop.empty())
        return nullptr;
    auto at =
        std::find_if(loop.begin(), loop.end(), [current](const auto& view) { return view.get() == current; });
    if (at == loop.end())
        return forward ? loop.front() : loop.back();
    auto index = static_cast<std::size_t>(at - loop.begin());
    return loop[(index + (forward ? 1 : loop.size() - 1)) % loop.size()];
}

} // namespace appkit
