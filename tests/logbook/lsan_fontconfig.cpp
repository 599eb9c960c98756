// The log page lists draw text, and fontconfig keeps its caches until the
// process ends: not leaks of ours, so the leak checker is told to skip them.
extern "C" __attribute__((visibility("default"), used)) const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
