#pragma once
// Where the sources and the build folder lie (Linux paths), for the tests
// that read source files or reach built files. Defined in one generated file
// only, so that no other test file depends on where the tree is: compiled
// files can then be shared between clones.
namespace yx::test {

extern const char kSourceDir[];
extern const char kBinaryDir[];
// Real LHA archives of many programs, hostile ones included (read only).
extern const char kSamplesDir[];

}  // namespace yx::test
