#include "tests/widgets/pixel_colors.h"
#include "tests/widgets/uisnap_command.h"
#include "tools/uisnap/event_script.h"
#include "tools/uisnap/snapshot_options.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using uisnap::ScriptStep;
using Kind = ScriptStep::Kind;

namespace {

constexpr const char* tinyInterface = R"({"objects": [
  {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 120, 60], "title": "Tiny"},
   "properties": {"contentView": {"ref": "content"}}},
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 120, 60]}, "subviews": ["button"]},
  {"id": "button", "class": "Button", "attributes": {"frame": [10, 10, 80, 30], "title": "Go"}},
  {"id": "recorder", "class": "ActionRecorder"}
], "actions": [{"object": "button", "action": "go:", "target": "recorder"}]})";

// A button whose hover timer logs after two seconds over it.
constexpr const char* tooltipButton = R"({"objects": [
  {"id": "button", "class": "QvCustomTooltipButton", "attributes": {"frame": [0, 0, 80, 30], "title": "Hold"}}
]})";

// Controls with a title or text and no font; the flat button draws its title with layers of its own.
constexpr const char* controlsWithoutFont = R"({"objects": [
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 200, 80]},
   "subviews": ["flat", "plain"]},
  {"id": "flat", "class": "FlatButton", "attributes": {"frame": [0, 40, 200, 40], "title": "WWWW"},
   "properties": {"textColor": "black"}},
  {"id": "plain", "class": "Button", "attributes": {"frame": [0, 0, 200, 40], "title": "WWWW"}}
]})";

constexpr const char* lonelyView = R"({"objects": [
  {"id": "panel", "class": "View", "attributes": {"frame": [5, 5, 50, 20]}}
]})";

std::vector<Kind> kindsOf(const std::vector<ScriptStep>& steps) {
    std::vector<Kind> kinds;
    for (const auto& step : steps)
        kinds.push_back(step.kind);
    return kinds;
}

} // namespace

TEST(UisnapScript, ReadsEveryKindOfStepOnLinesAndBetweenSemicolons) {
    std::string error;
    auto steps = uisnap::parseEventScript(" move 10 20.5;down ;up; leave ;wait 0.25; \n"
                                          "# a comment\n"
                                          "popover b; set b buttonColor [1, 0, 0]; frame b 1 2 3 4\n"
                                          "title b Two  words; state b -1; enable b false\n"
                                          "key w ctrl shift; deactivate; activate; scale 2; snap a.png",
                                          &error);
    ASSERT_TRUE(steps.has_value()) << error;
    EXPECT_EQ(kindsOf(*steps),
              (std::vector<Kind>{Kind::move, Kind::down, Kind::up, Kind::leave, Kind::wait, Kind::popover,
                                 Kind::set, Kind::frame, Kind::title, Kind::state, Kind::enable, Kind::key,
                                 Kind::deactivate, Kind::activate, Kind::scale, Kind::snap}));
    const ScriptStep& set = (*steps)[6];
    EXPECT_EQ(set.line, 3);
    EXPECT_EQ(set.word, 3);
    EXPECT_EQ(set.name, "buttonColor");
    EXPECT_EQ(set.text, "[1, 0, 0]");
    EXPECT_EQ((*steps)[7].numbers, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ((*steps)[8].text, "Two  words");
    EXPECT_EQ((*steps)[9].numbers, std::vector<double>{-1});
    EXPECT_FALSE((*steps)[10].flag);
    EXPECT_EQ((*steps)[11].name, "w");
    EXPECT_EQ((*steps)[11].modifiers,
              0x100000u | 0x20000u); // Command, as Control is taken on Linux, and Shift
}

TEST(UisnapScript, RefusesAWrongStepNamingItsLineAndWord) {
    struct Case {
        std::string script;
        std::string at;
    };
    for (const auto& [script, at] : std::vector<Case>{
             {"jump", "line 1, word 1 (\"jump\")"},
             {"down\nmove 1", "line 2, word 2 (\"1\")"},
             {"move 1 2 3", "line 1, word 4 (\"3\")"},
             {"down; move a 2", "line 1, word 3 (\"a\")"},
             {"down now", "line 1, word 2 (\"now\")"},
             {"wait -1", "line 1, word 2"},
             {"wait 400;\nwait 400", "line 2, word 1 (\"wait\")"},
             {"state b 2", "line 1, word 3"},
             {"enable b yes", "line 1, word 3"},
             {"key f1", "line 1, word 2"},
             {"key a hyper", "line 1, word 3"},
             {"scale 8", "line 1, word 2"},
             {"set b cornerRadius", "line 1, word 3"},
         }) {
        std::string error;
        EXPECT_FALSE(uisnap::parseEventScript(script, &error).has_value()) << script;
        EXPECT_NE(error.find("script " + at), std::string::npos) << script << ": " << error;
    }
}

TEST(UisnapOptions, RefusesWhatItCannotUseWithAMessage) {
    struct Case {
        std::vector<std::string_view> arguments;
        std::string message;
    };
    for (const auto& [arguments, message] : std::vector<Case>{
             {{}, "expected an interface file"},
             {{"in.json", "out.png", "extra.png"}, "expected an interface file"},
             {{"in.json", "out.png", "--scale"}, "--scale needs a value"},
             {{"in.json", "out.png", "--scale", "0.5"}, "from 1 to 4"},
             {{"in.json", "out.png", "--time", "1e9"}, "--time needs seconds"},
             {{"in.json", "out.png", "--frames", "0"}, "--frames needs a whole number"},
             {{"in.json", "out.png", "--frames", "2.5"}, "--frames needs a whole number"},
             {{"in.json", "out.png", "--events", "down", "--events", "up"}, "give the script once"},
             {{"in.json", "out.png", "--script", "/nowhere/script"}, "cannot read the script"},
             {{"in.json", "out.png", "--colour", "red"}, "unknown option --colour"},
         }) {
        std::string error;
        EXPECT_FALSE(uisnap::parseSnapshotOptions(arguments, &error).has_value()) << message;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

TEST_F(UisnapCommand, SnapsAlongTheWayFollowsTheScaleAndRecordsEachAction) {
    writeFile(home() / "tiny.json", tinyInterface);
    auto result = run(path("tiny.json") + " " + path("tiny.png") + " --events 'snap " +
                      (home() / "before.png").string() +
                      "; move 20 20; down; up; wait 0.5; scale 2; down; up' --time 1 --describe-layers");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(picture("before.png")->width(), 120);
    EXPECT_EQ(picture("tiny.png")->width(), 240);
    EXPECT_EQ(description::count(result.output, "action go: sender=button state=0 title=\"Go\""), 2);
    EXPECT_NE(result.output.find("action go: sender=button state=0 title=\"Go\" t=0.5\n"), std::string::npos);
    EXPECT_NE(result.output.find("Window \"Tiny\" frame=(0, 0, 120, 60) scale=2 key\n"), std::string::npos);
    // Nothing in the description hangs on the run: a second one reads the same.
    EXPECT_EQ(run(path("tiny.json") + " " + path("tiny.png") + " --events 'snap " +
                  (home() / "before.png").string() +
                  "; move 20 20; down; up; wait 0.5; scale 2; down; up' --time 1 --describe-layers")
                  .output,
              result.output);
}

TEST_F(UisnapCommand, PutsALonelyViewInAWindowOfItsSize) {
    writeFile(home() / "view.json", lonelyView);
    auto result = run(path("view.json") + " " + path("view.png"));
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(picture("view.png")->width(), 50);
    EXPECT_EQ(picture("view.png")->height(), 20);
}

TEST_F(UisnapCommand, FailsWithAMessageAndWritesNothing) {
    writeFile(home() / "broken.json", "{\"objects\": [");
    writeFile(home() / "empty.json", R"({"objects": []})");
    writeFile(home() / "tiny.json", tinyInterface);
    std::string tiny = path("tiny.json") + " " + path("out.png");
    std::string early = "--events 'snap " + (home() / "early.png").string();
    struct Case {
        std::string arguments;
        std::string message;
    };
    for (const auto& [arguments, message] : std::vector<Case>{
             {path("missing.json") + " " + path("out.png"), "missing.json"},
             {path("broken.json") + " " + path("out.png"), "broken.json"},
             {path("empty.json") + " " + path("out.png"), "no window or view"},
             {tiny + " --resources " + path("nowhere"), "nowhere"},
             {tiny + " " + early + "; popover nobody'", "line 1, word 4 (\"nobody\"): "},
             {tiny + " " + early + "\nstate content 1'",
              "line 2, word 2 (\"content\"): \"content\" is not a button"},
             {tiny + " " + early + "; set button cornerRadius 2'", "word 5 (\"cornerRadius\")"},
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
    writeFile(home() / "hold.json", tooltipButton);
    auto timerFires = [this](const std::string& events) {
        auto result = run(path("hold.json") + " " + path("hold.png") + " --events '" + events + "'");
        EXPECT_EQ(result.status, 0) << result.errors;
        return description::count(result.errors, "showTooltipTimerFired");
    };
    EXPECT_EQ(timerFires("move 40 15; wait 3"), 1);
    EXPECT_EQ(timerFires("move 40 15; down; wait 3"), 0);
    EXPECT_EQ(timerFires("move 40 15; down; wait 3; up; wait 0.1"), 1);
}

TEST_F(UisnapCommand, WritesAStripOfPicturesAcrossAnAnimation) {
    writeFile(home() / "fade.json", R"({"objects": [
      {"id": "button", "class": "FlatButton", "attributes": {"frame": [0, 0, 80, 30]},
       "properties": {"buttonColor": [0, 0, 1], "activeButtonColor": [1, 0, 0], "offAnimationDuration": 0.4}}]})");
    auto result = run(path("fade.json") + " " + path("fade.png") +
                      " --events 'move 40 15; down; up' --frames 3 --interval 0.2");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_PRED2(looksLike, UisnapCommand::pixelAt(*picture("fade-0.png"), 40, 15), quartz::Color(1, 0, 0));
    EXPECT_PRED2(looksLike, UisnapCommand::pixelAt(*picture("fade-1.png"), 40, 15),
                 quartz::Color(0.5, 0, 0.5));
    EXPECT_PRED2(looksLike, UisnapCommand::pixelAt(*picture("fade-2.png"), 40, 15), quartz::Color(0, 0, 1));
    EXPECT_FALSE(std::filesystem::exists(home() / "fade-3.png"));
}

namespace {

// Dark pixels of a band of a snapshot's rows, y from the top, in pixels.
int darkPixels(const quartz::Bitmap& bitmap, int top, int bottom) {
    int dark = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (auto pixel = bitmap.pixel(x, y); pixel.alpha() > 0.5 && pixel.red() < 0.4)
                ++dark;
    return dark;
}

} // namespace

TEST_F(UisnapCommand, ControlsWithoutAFontShowTheirTitleInTheSystemFont) {
    writeFile(home() / "plain.json", controlsWithoutFont);
    auto result = run(path("plain.json") + " " + path("plain.png"));
    ASSERT_EQ(result.status, 0) << result.errors;
    auto image = picture("plain.png");
    // A 13-point title is some 10 pixels high and four wide letters about 50 wide.
    EXPECT_GT(darkPixels(*image, 5, 35), 100); // the flat button, at the top
    EXPECT_GT(darkPixels(*image, 45, 75), 100);
}
