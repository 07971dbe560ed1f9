#include "tools/uisnap/strip_writer.h"

namespace uisnap {

std::filesystem::path stripPictureName(const std::filesystem::path& output, int index) {
    auto name = output.stem().string() + "-" + std::to_string(index) + output.extension().string();
    return output.parent_path() / name;
}

bool writeStrip(PlayedWindow& played, const std::filesystem::path& output, int count, double interval,
                std::string* error) {
    for (int index = 0; index < count; ++index) {
        if (index > 0)
            played.pass(interval);
        if (!played.snapshot(stripPictureName(output, index), error))
            return false;
    }
    return true;
}

} // namespace uisnap
