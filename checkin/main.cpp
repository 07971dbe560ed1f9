#include "platform/appkit/application/application.h"
#include "platform/foundation/string_encoding.h"
#include "platform/preferences/user_defaults.h"

// Keeps the application path it was started with, then runs the window.
int main(int argc, char** argv) {
    if (argc >= 3) {
        auto& defaults = foundation::UserDefaults::standardUserDefaults();
        // A path that is not UTF-8 cannot be stored; forgetting the old one keeps a stale path
        // from being handed on in its place.
        if (auto path = foundation::stringWithUTF8(argv[2])) {
            // This run hands over its own path, whatever another launcher stores meanwhile.
            defaults.setVolatileDomain({{"apppath", *path}}, foundation::UserDefaults::argumentDomain);
            defaults.setValue(*path, "apppath");
        } else {
            defaults.removeValueForKey("apppath");
        }
        defaults.synchronize();
    }
    return appkit::applicationMain(argc, argv);
}
