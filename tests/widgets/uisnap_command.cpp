#include "tests/widgets/uisnap_command.h"

#include "platform/quartz/graphics_context.h"
#include "platform/quartz/image.h"

#include <sstream>
#include <sys/wait.h>

void UisnapCommand::SetUp() {
    TemporaryHome::SetUp();
    std::filesystem::copy(VANTREL_WIDGET_RESOURCE_DIR, home() / "resources",
                          std::filesystem::copy_options::recursive);
}

void UisnapCommand::writeIcon(const std::string& name, int size) {
    auto icon = quartz::Bitmap::make(size, size);
    quartz::BitmapDrawing(*icon, 1).context().fillRoundedRect({0, 0, size / 2.0, double(size)}, 0,
                                                              quartz::Color::blackColor());
    icon->writePNG(home() / "resources" / name);
}

UisnapCommand::Result UisnapCommand::run(const std::string& arguments) {
    // In the home, so that pictures a script snaps by a plain name land there.
    std::string command = "cd " + path("") + " && '" UISNAP_PATH "' " + arguments + " >" + path("stdout") +
                          " 2>" + path("stderr");
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(home() / "stdout"),
            readFile(home() / "stderr")};
}

UisnapCommand::Result UisnapCommand::runScript(const std::string& interface, const std::string& script,
                                               const std::string& options) {
    writeFile(home() / "interface.json", interface);
    writeFile(home() / "script.txt", script);
    return run(path("interface.json") + " " + path("out.png") + " --script " + path("script.txt") +
               " --resources " + path("resources") + " " + options);
}

std::string UisnapCommand::described(const std::string& interface, const std::string& script) {
    auto result = runScript(interface, script, "--describe-layers");
    EXPECT_EQ(result.status, 0) << result.errors;
    return result.output;
}

std::shared_ptr<const quartz::Bitmap> UisnapCommand::picture(const std::string& name) const {
    auto image = quartz::Image::imageWithContentsOfFile((home() / name).string());
    EXPECT_TRUE(image.has_value()) << name;
    return image ? image->bitmap() : nullptr;
}

quartz::Color UisnapCommand::pixelAt(const quartz::Bitmap& picture, double x, double y, double scale) {
    return picture.pixel(static_cast<int>(x * scale), static_cast<int>(picture.height() - y * scale));
}

namespace description {

std::string section(const std::string& text, const std::string& head) {
    std::istringstream lines(text);
    std::string found;
    std::size_t indent = 0;
    for (std::string line; std::getline(lines, line);) {
        std::size_t at = line.find_first_not_of(' ');
        if (found.empty() && line.compare(at, head.size(), head) == 0)
            indent = at;
        else if (found.empty())
            continue;
        else if (at <= indent)
            break;
        found += line + "\n";
    }
    return found;
}

std::string lineWith(const std::string& text, const std::string& marker) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.find(marker) != std::string::npos)
            return line;
    return "";
}

std::string field(const std::string& line, const std::string& name) {
    auto start = line.find(" " + name + "=");
    if (start == std::string::npos)
        return "";
    start += name.size() + 2;
    auto end = start;
    for (int depth = 0; end < line.size() && (depth > 0 || line[end] != ' '); ++end)
        depth += line[end] == '(' || line[end] == '[' ? 1 : line[end] == ')' || line[end] == ']' ? -1 : 0;
    return line.substr(start, end - start);
}

int count(const std::string& text, const std::string& marker) {
    int found = 0;
    for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1))
        ++found;
    return found;
}

} // namespace description
