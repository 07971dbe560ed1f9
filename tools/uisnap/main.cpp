// uisnap: renders an interface file off screen to a PNG file after a script, for widget authors,
// tests and documentation.

#include "tools/uisnap/interface_snapshot.h"
#include "tools/uisnap/snapshot_options.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    for (std::string_view argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::fputs(uisnap::usage.data(), stdout);
            std::fputs(uisnap::scriptSteps.data(), stdout);
            return 0;
        }
    }
    std::string error;
    auto options = uisnap::parseSnapshotOptions(arguments, &error);
    if (!options) {
        std::fprintf(stderr, "uisnap: %s\n%s%s", error.c_str(), uisnap::usage.data(),
                     uisnap::scriptSteps.data());
        return 2;
    }
    if (!uisnap::writeInterfaceSnapshot(*options, &error)) {
        std::fprintf(stderr, "uisnap: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
