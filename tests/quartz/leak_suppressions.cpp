// Fontconfig keeps its configuration and caches for the life of the process and never frees them
// (only FcFini would, and nothing may call it while Pango holds fonts). Every test that lays out
// text would otherwise fail the sanitizer build's leak check on memory that is not ours.
#ifdef VANTREL_SANITIZE
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
#endif
