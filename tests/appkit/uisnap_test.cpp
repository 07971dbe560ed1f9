#include "platform/quartz/image.h"
#include "tests/support/temporary_home.h"
#include "tools/uisnap/event_script.h"
#include "tools/uisnap/snapshot_options.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using uisnap::ScriptedEvent;
using Kind = ScriptedEvent::Kind;

namespace {

std::optional<uisnap::SnapshotOptions> parse(std::vector<std::string_view> arguments, std::string* error) {
    return uisnap::parseSnapshotOptions(arguments, error);
}

constexpr const char* tinyInterface = R"({"objects": [
  {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 120, 60], "title": "Tiny"},
   "properties": {"contentView": {"ref": "content"}}},
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 120, 60]}, "subviews": ["button"]},
  {"id": "button", "class": "Button", "attributes": {"frame": [10, 10, 80, 30], "title": "Go"}}
]})";

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

// Runs the tool with its standard error in a file of the temporary home.
class UisnapCommand : public TemporaryHome {
protected:
    int run(const std::string& arguments) {
        std::string command = "'" UISNAP_PATH "' " + arguments + " 2>'" + (home() / "stderr").string() + "'";
        return std::system(command.c_str());
    }
    std::string errors() const { return readFile(home() / "stderr"); }
    std::string path(const std::string& name) const { return "'" + (home() / name).string() + "'"; }
    std::optional<quartz::Size> pngSize(const std::string& name) const {
        auto image = quartz::Image::imageWithContentsOfFile((home() / name).string());
        return image ? std::optional(image->size()) : std::nullopt;
    }
};

} // namespace

TEST(UisnapEventScript, ReadsEveryKindOfStep) {
    std::string error;
    auto events = uisnap::parseEventScript(" move 10 20.5;down ;up; leave ;wait 0.25; ", &error);
    ASSERT_TRUE(events.has_value()) << error;
    EXPECT_EQ(
        *events,
        (std::vector<ScriptedEvent>{
            {Kind::move, 10, 20.5}, {Kind::down}, {Kind::up}, {Kind::leave}, {Kind::wait, 0, 0, 0.25}}));
}

TEST(UisnapEventScript, RefusesUnknownStepsWrongArgumentsAndEndlessWaitsNamingTheStep) {
    for (std::string_view script : {"jump", "move 1", "move 1 2 3", "move a b", "down now", "wait -1",
                                    "wait nan", "wait 400; wait 400"}) {
        std::string error;
        EXPECT_FALSE(uisnap::parseEventScript(script, &error).has_value()) << script;
        EXPECT_NE(error.find("cannot play the event"), std::string::npos) << script;
    }
}

TEST(UisnapOptions, ReadsFilesAndOptionsInAnyOrder) {
    std::string error;
    auto options = parse({"--scale", "2", "in.json", "--time", "1.5", "out.png", "--events", "down",
                          "--resources", "images", "--help-popover", "button"},
                         &error);
    ASSERT_TRUE(options.has_value()) << error;
    EXPECT_EQ(options->interfaceFile, "in.json");
    EXPECT_EQ(options->output, "out.png");
    EXPECT_EQ(options->scale, 2);
    EXPECT_EQ(options->time, 1.5);
    EXPECT_EQ(options->events.size(), 1u);
    EXPECT_EQ(options->resources, std::filesystem::path("images"));
    EXPECT_EQ(options->helpPopoverFor, "button");
}

TEST(UisnapOptions, RefusesWhatItCannotUseWithAMessage) {
    struct Case {
        std::vector<std::string_view> arguments;
        std::string message;
    };
    for (const auto& [arguments, message] : std::vector<Case>{
             {{}, "expected an interface file"},
             {{"in.json"}, "expected an interface file"},
             {{"in.json", "out.png", "extra.png"}, "expected an interface file"},
             {{"in.json", "out.png", "--scale"}, "--scale needs a value"},
             {{"in.json", "out.png", "--scale", "0.5"}, "from 1 to 4"},
             {{"in.json", "out.png", "--scale", "2x"}, "from 1 to 4"},
             {{"in.json", "out.png", "--time", "-1"}, "--time needs seconds"},
             {{"in.json", "out.png", "--time", "1e9"}, "--time needs seconds"},
             {{"in.json", "out.png", "--colour", "red"}, "unknown option --colour"},
         }) {
        std::string error;
        EXPECT_FALSE(parse(arguments, &error).has_value()) << message;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

TEST_F(UisnapCommand, RendersAWindowOfAnInterfaceFileAtTheChosenScale) {
    writeFile(home() / "tiny.json", tinyInterface);
    ASSERT_EQ(run(path("tiny.json") + " " + path("tiny.png") +
                  " --scale 2 --events 'move 20 20; down; up; wait 0.5' "
                  "--time 1"),
              0)
        << errors();
    EXPECT_EQ(pngSize("tiny.png"), (quartz::Size{240, 120}));
}

TEST_F(UisnapCommand, PutsALonelyViewInAWindowOfItsSize) {
    writeFile(home() / "view.json", lonelyView);
    ASSERT_EQ(run(path("view.json") + " " + path("view.png")), 0) << errors();
    EXPECT_EQ(pngSize("view.png"), (quartz::Size{50, 20}));
}

TEST_F(UisnapCommand, FailsWithAMessageAndWritesNothing) {
    writeFile(home() / "broken.json", "{\"objects\": [");
    writeFile(home() / "empty.json", R"({"objects": []})");
    writeFile(home() / "tiny.json", tinyInterface);
    struct Case {
        std::string arguments;
        std::string message;
    };
    for (const auto& [arguments, message] : std::vector<Case>{
             {path("missing.json") + " " + path("out.png"), "missing.json"},
             {path("broken.json") + " " + path("out.png"), "broken.json"},
             {path("empty.json") + " " + path("out.png"), "no window or view"},
             {path("tiny.json") + " " + path("out.png") + " --scale 0", "--scale"},
             {path("tiny.json") + " " + path("out.png") + " --resources " + path("nowhere"), "nowhere"},
             {path("tiny.json") + " " + path("no/out.png"), "no folder"},
         }) {
        EXPECT_NE(run(arguments), 0) << arguments;
        EXPECT_NE(errors().find(message), std::string::npos) << errors();
        EXPECT_FALSE(std::filesystem::exists(home() / "out.png"));
    }
}

// While the button is held the loop tracks the mouse: the hover timer waits for the release.
TEST_F(UisnapCommand, TimersWaitWhileAButtonIsHeldAndFireOnceReleased) {
    writeFile(home() / "hold.json", tooltipButton);
    auto timerFires = [this](const std::string& events) {
        EXPECT_EQ(run(path("hold.json") + " " + path("hold.png") + " --events '" + events + "'"), 0)
            << errors();
        std::string log = errors();
        int count = 0;
        for (auto at = log.find("showTooltipTimerFired"); at != std::string::npos;
             at = log.find("showTooltipTimerFired", at + 1))
            ++count;
        return count;
    };
    EXPECT_EQ(timerFires("move 40 15; wait 3"), 1);
    EXPECT_EQ(timerFires("move 40 15; down; wait 3"), 0);
    EXPECT_EQ(timerFires("move 40 15; down; wait 3; up; wait 0.1"), 1);
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
    ASSERT_EQ(run(path("plain.json") + " " + path("plain.png")), 0) << errors();
    auto image = quartz::Image::imageWithContentsOfFile((home() / "plain.png").string());
    ASSERT_TRUE(image.has_value());
    // A 13-point title is some 10 pixels high and four wide letters about 50 wide.
    EXPECT_GT(darkPixels(*image->bitmap(), 5, 35), 100); // the flat button, at the top
    EXPECT_GT(darkPixels(*image->bitmap(), 45, 75), 100);
}
