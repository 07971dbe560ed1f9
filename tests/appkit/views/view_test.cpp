#include "platform/appkit/views/view.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class FlippedView : public View {
public:
    bool isFlipped() const override { return true; }
};

// Sees through itself; catches the presses its subviews leave unhandled; checks, when the base
// initialiser calls its setter, that its own members are in place.
class Catcher : public View {
public:
    std::shared_ptr<View> hitTest(quartz::Point) override { return nullptr; }
    void mouseDown(const Event&) override { ++downs; }
    void setFrame(quartz::Rect frame) override {
        View::setFrame(frame);
        sawMembers = downs == 0;
    }
    int downs = 0;
    bool sawMembers = false;
};

} // namespace

TEST(View, HitTestFindsTheDeepestFrontMostViewAndSeesThroughViewsThatHitNothing) {
    auto root = View::make({0, 0, 200, 100});
    auto back = View::make({10, 10, 100, 50});
    auto front = View::make({50, 10, 100, 50});
    auto inner = View::make({5, 5, 10, 10});
    root->addSubview(back);
    root->addSubview(front);
    front->addSubview(inner);
    root->addSubview(View::make<Catcher>({0, 0, 40, 100}));
    EXPECT_EQ(root->hitTest({60, 20}), inner);
    EXPECT_EQ(root->hitTest({80, 40}), front);
    EXPECT_EQ(root->hitTest({20, 20}), back);
    EXPECT_EQ(root->hitTest({190, 90}), root);
    EXPECT_EQ(root->hitTest({250, 20}), nullptr);
}

TEST(View, FlippedViewsMeasureYFromTheirTop) {
    auto root = View::make({0, 0, 200, 100});
    auto flipped = View::make<FlippedView>({20, 10, 100, 60});
    auto child = View::make({0, 0, 10, 10});
    root->addSubview(flipped);
    flipped->addSubview(child);
    EXPECT_EQ(root->hitTest({25, 65}), child);
    EXPECT_EQ(child->convertRectToWindow(child->bounds()), quartz::Rect(20, 60, 10, 10));
}

TEST(View, UnhandledMouseEventsTravelUpToTheSuperviewMadeWithItsMembersInPlace) {
    auto parent = View::make<Catcher>({0, 0, 100, 100});
    EXPECT_TRUE(parent->sawMembers);
    auto child = View::make({0, 0, 10, 10});
    parent->addSubview(child);
    child->mouseDown(Event{Event::Type::leftMouseDown, {1, 1}, 0, 1, nullptr});
    EXPECT_EQ(parent->downs, 1);
}
