// Leaks the leak checker should not blame on this program: fontconfig keeps
// its configuration caches until the process ends and never frees them.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
