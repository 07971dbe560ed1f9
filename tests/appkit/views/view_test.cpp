#include "platform/appkit/views/view.h"
#include "platform/appkit/windows/window.h"

#include <gtest/gtest.h>

using namespace appkit;
using quartz::Point;
using quartz::Rect;

namespace {

class FlippedView : public View {
public:
    bool isFlipped() const override { return true; }
};

// A subclass whose override must see its own members when the base initialiser calls it.
class RememberingView : public View {
public:
    void setFrame(Rect frame) override {
        View::setFrame(frame);
        framesSeen.push_back(frame);
        sawMembers = marker == 42;
    }
    std::vector<Rect> framesSeen;
    int marker = 42;
    bool sawMembers = false;
};

class TransparentView : public View {
public:
    std::shared_ptr<View> hitTest(Point) override { return nullptr; }
};

} // namespace

TEST(View, ABaseInitialiserReachesTheSubclassOverrideWithItsMembersInPlace) {
    auto view = View::make<RememberingView>({1, 2, 30, 40});
    EXPECT_EQ(view->framesSeen, std::vector<Rect>{Rect(1, 2, 30, 40)});
    EXPECT_TRUE(view->sawMembers);
}

TEST(View, HitTestFindsTheDeepestFrontMostView) {
    auto root = View::make({0, 0, 200, 100});
    auto back = View::make({10, 10, 100, 50});
    auto front = View::make({50, 10, 100, 50});
    auto inner = View::make({5, 5, 10, 10});
    root->addSubview(back);
    root->addSubview(front);
    front->addSubview(inner);
    EXPECT_EQ(root->hitTest({60, 20}), inner); // inside front at (10, 10)
    EXPECT_EQ(root->hitTest({80, 40}), front); // front is above back
    EXPECT_EQ(root->hitTest({20, 20}), back);
    EXPECT_EQ(root->hitTest({190, 90}), root);
    EXPECT_EQ(root->hitTest({250, 20}), nullptr);
}

TEST(View, AViewThatHitsNothingLetsTheClickThroughToTheViewBehind) {
    auto root = View::make({0, 0, 100, 100});
    auto behind = View::make({0, 0, 100, 100});
    root->addSubview(behind);
    root->addSubview(View::make<TransparentView>({0, 0, 100, 100}));
    EXPECT_EQ(root->hitTest({50, 50}), behind);
}

TEST(View, FlippedViewsMeasureYFromTheirTop) {
    auto root = View::make({0, 0, 200, 100}); // unflipped: y up from the bottom
    auto flipped = View::make<FlippedView>({20, 10, 100, 60});
    auto child = View::make({0, 0, 10, 10}); // at the top left of the flipped view
    root->addSubview(flipped);
    flipped->addSubview(child);
    EXPECT_EQ(flipped->convertPointFromWindow({20, 70}), (Point{0, 0}));
    EXPECT_EQ(root->hitTest({25, 65}), child);
    EXPECT_EQ(child->convertRectToWindow(child->bounds()), Rect(20, 60, 10, 10));
}

TEST(View, ALayerBackedViewsLayerFollowsItsFlippingAndSize) {
    auto view = View::make<FlippedView>({0, 0, 40, 20});
    view->setWantsLayer(true);
    ASSERT_NE(view->layer(), nullptr);
    EXPECT_TRUE(view->layer()->geometryFlipped());
    view->setFrame({5, 5, 80, 30});
    EXPECT_EQ(view->layer()->bounds().size, (quartz::Size{80, 30}));
}

TEST(View, UnhandledMouseEventsTravelUpToTheSuperview) {
    struct Catcher : View {
        void mouseDown(const Event&) override { ++downs; }
        int downs = 0;
    };
    auto parent = View::make<Catcher>({0, 0, 100, 100});
    auto child = View::make({0, 0, 10, 10});
    parent->addSubview(child);
    child->mouseDown(Event{Event::Type::leftMouseDown, {1, 1}, 0, 1, nullptr});
    EXPECT_EQ(parent->downs, 1);
}
