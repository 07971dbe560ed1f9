#include "host/console_io.h"
#include "platform/foundation/file_handle.h"
#include "platform/foundation/run_loop.h"

#include <cstdio>
#include <string_view>

namespace {

// A browser gives the host pipes; a terminal on its input means a person started it.
constexpr const char* startedByHand =
    "vantrelmessaginghost is the native messaging host of the Vantrel browser extension.\n"
    "Browsers start it and talk to it through its standard input and output in\n"
    "length-prefixed JSON frames; it is not meant to be run from a terminal.\n"
    "\n"
    "To check that browsers can find and start it:\n"
    "    vantrel-doctor        (scripts/install-manifest --check in the source folder)\n"
    "To send it one options request by hand, in the folder that holds data.json:\n"
    "    printf '\\020\\0\\0\\0{\"options\":true}' | %s | tail -c +5; echo\n";

bool asksForVersion(int argc, char** argv) {
    return argc == 2 && std::string_view(argv[1]) == "--version";
}

} // namespace

// The browser's arguments (its origin, or a manifest path and add-on id) are not needed.
int main(int argc, char** argv) {
    if (asksForVersion(argc, argv)) {
        std::puts("vantrelmessaginghost " VANTREL_VERSION);
        return 0;
    }
    if (foundation::FileHandle::standardInput().isTerminal()) {
        std::fprintf(stderr, startedByHand, argc > 0 ? argv[0] : "vantrelmessaginghost");
        return 2;
    }
    // A browser that has gone ends the conversation, not the process: the host exits with 0.
    foundation::FileHandle::failWritesToClosedPipes();
    ConsoleIO console;
    console.startReading();
    foundation::RunLoop::main().run();
    return 0;
}
