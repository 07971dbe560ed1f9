#include "host/console_io.h"
#include "platform/foundation/file_handle.h"
#include "platform/foundation/run_loop.h"

// The browser's arguments (its origin, or a manifest path and add-on id) are not needed.
int main() {
    // A browser that has gone ends the conversation, not the process: the host exits with 0.
    foundation::FileHandle::failWritesToClosedPipes();
    ConsoleIO console;
    console.startReading();
    foundation::RunLoop::main().run();
    return 0;
}
