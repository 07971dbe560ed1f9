#pragma once

#include "platform/quartz/bitmap.h"
#include "tests/support/temporary_home.h"

// Runs the uisnap tool in a temporary home, as a widget author would, and reads what it wrote:
// the pictures, the actions recorded and the window's description on standard output.
class UisnapCommand : public TemporaryHome {
protected:
    void SetUp() override;

    struct Result {
        int status = -1;
        std::string output, errors;
    };

    // Runs in the home, arguments passed through a shell; path() quotes a file of the home.
    Result run(const std::string& arguments);
    // Writes the interface text to the home and runs the tool on it with a script, writing
    // out.png, with the widgets' resources and the icons written by writeIcon.
    Result runScript(const std::string& interface, const std::string& script,
                     const std::string& options = "");
    // The window's description after the script, which must play.
    std::string described(const std::string& interface, const std::string& script);
    // A square PNG among the resources, opaque in its left half only.
    void writeIcon(const std::string& name, int size = 16);
    // A file of the home, quoted for the shell.
    std::string path(const std::string& name) const { return "'" + (home() / name).string() + "'"; }

    // A picture the tool wrote, and the colour at a window point (y up from the bottom edge).
    std::shared_ptr<const quartz::Bitmap> picture(const std::string& name) const;
    static quartz::Color pixelAt(const quartz::Bitmap& picture, double x, double y, double scale = 1);
};

// Reading a --describe-layers text.
namespace description {
// The line that starts (after its indentation) with head, and everything indented under it.
std::string section(const std::string& text, const std::string& head);
// The first line holding marker; "" when there is none.
std::string lineWith(const std::string& text, const std::string& marker);
// The value of name=… on a line: up to the next space outside brackets; "" when absent.
std::string field(const std::string& line, const std::string& name);
// How many lines hold marker.
int count(const std::string& text, const std::string& marker);
} // namespace description
