// Leak suppressions for the sanitizer build of the programs that start SDL's video: its start-up
// opens D-Bus, and libdbus keeps buffers that nothing frees before exit.
#ifdef VANTREL_SANITIZE
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
#endif
