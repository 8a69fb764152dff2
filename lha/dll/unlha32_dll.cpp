// UNLHA32.DLL: the entry points of lha/win/unlha32_api.h, exported by their
// plain names through the .def file. The functions live in the static
// library, where the program's tests and other programs can call them too.
#include "lha/win/unlha32_api.h"
