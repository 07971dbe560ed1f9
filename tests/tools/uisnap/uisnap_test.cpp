#include "tests/widgets/pixel_colors.h"
#include "tests/widgets/uisnap_command.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr const char* tinyInterface = R"({"objects": [
  {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 120, 60], "title": "Tiny"},
   "properties": {"contentView": {"ref": "content"}}},
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 120, 60]}, "subviews": ["button"]},
  {"id": "button", "class": "Button", "attributes": {"frame": [10, 10, 80, 30], "title": "Go"}},
  {"id": "recorder", "class": "ActionRecorder"}
], "actions": [{"object": "button", "action": "go:", "target": "recorder"}]})";

} // namespace

// Nothing in the description hangs on the run: a second one reads the same.
TEST_F(UisnapCommand, SnapsAlongTheWayFollowsTheScaleAndRecordsEachAction) {
    auto play = [this] {
        return runScript(tinyInterface, "snap before.png; move 20 20; down; up; wait 0.5; scale 2; down; up",
                         "--time 1 --describe-layers");
    };
    auto result = play();
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(picture("before.png")->width(), 120);
    EXPECT_EQ(picture("out.png")->width(), 240);
    EXPECT_EQ(description::count(result.output, "action go: sender=button state=0 title=\"Go\""), 2);
    EXPECT_NE(result.output.find("action go: sender=button state=0 title=\"Go\" t=0.5\n"), std::string::npos);
    EXPECT_NE(result.output.find("Window \"Tiny\" frame=(0, 0, 120, 60) scale=2 key\n"), std::string::npos);
    EXPECT_EQ(play().output, result.output);
}

TEST_F(UisnapCommand, PutsALonelyViewInAWindowOfItsSize) {
    ASSERT_EQ(
        runScript(R"({"objects": [{"id": "v", "class": "View", "attributes": {"frame": [5, 5, 50, 20]}}]})",
                  "")
            .status,
        0);
    EXPECT_EQ(picture("out.png")->width(), 50);
    EXPECT_EQ(picture("out.png")->height(), 20);
}

TEST_F(UisnapCommand, FailsWithAMessageAndWritesNothing) {
    writeFile(home() / "broken.json", "{\"objects\": [");
    writeFile(home() / "empty.json", R"({"objects": []})");
    writeFile(home() / "tiny.json", tinyInterface);
    std::string tiny = path("tiny.json") + " " + path("out.png");
    std::string early = "--events 'snap early.png";
    for (const auto& [arguments, message] : std::vector<std::pair<std::string, std::string>>{
             {path("missing.json") + " " + path("out.png"), "missing.json"},
             {path("broken.json") + " " + path("out.png"), "broken.json"},
             {path("empty.json") + " " + path("out.png"), "no window or view"},
             {tiny + " --resources " + path("nowhere"), "nowhere"},
             {tiny + " --scale 0.5", "from 1 to 4"},
             {tiny + " --frames 2.5", "--frames needs a whole number"},
             {tiny + " --events down --events up", "give the script once"},
             {tiny + " --colour red", "unknown option --colour"},
             {tiny + " extra.png", "expected an interface file"},
             {tiny + " " + early + "; jump'", "line 1, word 3 (\"jump\")"},
             {tiny + " " + early + "; move a 2'", "line 1, word 4 (\"a\")"},
             {tiny + " " + early + "; key a hyper'", "line 1, word 5"},
             {tiny + " " + early + "; wait 400;\nwait 400'", "line 2, word 1 (\"wait\")"},
             {tiny + " " + early + "\nstate content 1'",
              "line 2, word 2 (\"content\"): \"content\" is not a button"},
             {tiny + " " + early + "; snap /nowhere/b.png'", "no folder /nowhere"},
             {path("tiny.json") + " " + path("no/out.png"), "no folder"},
         }) {
        auto result = run(arguments);
        EXPECT_NE(result.status, 0) << arguments;
        EXPECT_NE(result.errors.find(message), std::string::npos) << result.errors;
        EXPECT_FALSE(std::filesystem::exists(home() / "out.png"));
        EXPECT_FALSE(std::filesystem::exists(home() / "early.png"));
    }
}

// While the button is held the loop tracks the mouse: the hover timer waits for the release.
TEST_F(UisnapCommand, TimersWaitWhileAButtonIsHeldAndFireOnceReleased) {
    auto timerFires = [this](const std::string& events) {
        auto result = runScript(R"({"objects": [{"id": "button", "class": "QvCustomTooltipButton",
                                    "attributes": {"frame": [0, 0, 80, 30], "title": "Hold"}}]})",
                                events);
        EXPECT_EQ(result.status, 0) << result.errors;
        return description::count(result.errors, "showTooltipTimerFired");
    };
    EXPECT_EQ(timerFires("move 40 15; wait 3"), 1);
    EXPECT_EQ(timerFires("move 40 15; down; wait 3"), 0);
    EXPECT_EQ(timerFires("move 40 15; down; wait 3; up; wait 0.1"), 1);
}

TEST_F(UisnapCommand, WritesAStripOfPicturesAcrossAnAnimation) {
    auto result = runScript(R"({"objects": [
      {"id": "button", "class": "FlatButton", "attributes": {"frame": [0, 0, 80, 30]},
       "properties": {"buttonColor": [0, 0, 1], "activeButtonColor": [1, 0, 0], "offAnimationDuration": 0.4}}]})",
                            "move 40 15; down; up", "--frames 3 --interval 0.2");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_PRED2(looksLike, pixelAt(*picture("out-0.png"), 40, 15), quartz::Color(1, 0, 0));
    EXPECT_PRED2(looksLike, pixelAt(*picture("out-1.png"), 40, 15), quartz::Color(0.5, 0, 0.5));
    EXPECT_PRED2(looksLike, pixelAt(*picture("out-2.png"), 40, 15), quartz::Color(0, 0, 1));
    EXPECT_FALSE(std::filesystem::exists(home() / "out-3.png"));
}
