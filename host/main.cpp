#include "host/console_io.h"
#include "platform/foundation/run_loop.h"

// The browser's arguments (its origin, or a manifest path and add-on id) are not needed.
int main() {
    ConsoleIO console;
    console.startReading();
    foundation::RunLoop::main().run();
    return 0;
}
