// Leak suppressions for the sanitizer build of the tests, linked into each test program:
// - Fontconfig keeps its configuration and caches for the life of the process and never frees
//   them (only FcFini would, and nothing may call it while Pango holds fonts).
// - Starting SDL's video opens D-Bus, and libdbus keeps buffers that nothing frees before exit.
// Neither is memory of ours.
#ifdef VANTREL_SANITIZE
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_options();

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
#endif
