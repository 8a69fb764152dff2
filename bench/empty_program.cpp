// The yardstick of bench/auto-start-bench.sh: a Windows program that does
// nothing, built as Yorudex.exe is, so that its start and end under Wine are
// what any program of this kind costs.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
