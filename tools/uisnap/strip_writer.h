#pragma once

#include "tools/uisnap/played_window.h"

#include <filesystem>
#include <string>

namespace uisnap {

// The picture of a strip at index: OUT.png gives OUT-0.png, OUT-1.png, …
std::filesystem::path stripPictureName(const std::filesystem::path& output, int index);

// Writes count pictures of the window, the first now, the next ones an interval apart, so that an
// animation can be looked at frame by frame or put together (ImageMagick: convert -delay 10 -loop 0
// OUT-*.png OUT.gif). False, with a message, when a picture cannot be written.
bool writeStrip(PlayedWindow& played, const std::filesystem::path& output, int count, double interval,
                std::string* error);

} // namespace uisnap
