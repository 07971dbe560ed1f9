#pragma once

#include <optional>
#include <string>

namespace foundation {

// The program an application path stands for: the path itself when it names an executable file,
// or, for a bundle directory, the executable that its Contents/Info.plist names
// (CFBundleExecutable, a file in Contents/MacOS). None, with a message naming the file at fault,
// when there is no such executable.
std::optional<std::string> executableOfApplication(const std::string& path, std::string* error = nullptr);

} // namespace foundation
