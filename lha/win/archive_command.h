#pragma once
// Carries out one command text of the archiver: today the add command
// `a [-x1] [-r0|-r1|-r2] archive [base\] names...`. The new archive is written
// beside the old one and replaces it only once it is complete, so a failed
// command leaves the old archive byte for byte as it was. A folder that
// cannot be listed or a file that cannot be read fails nothing else: it is
// left out, named in the output, and the archive is written with the rest.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "lha/core/archive_writer.h"
#include "lha/core/lh5_parser.h"
#include "win/file_system.h"

namespace yx::lha::win {

// Result codes; 0 is success.
enum ResultCode : int {
  kOk = 0,
  kBadCommand = 0x8100,  // unknown command, missing arguments, unbalanced quote
  kBadSwitch = 0x8101,
  kSourceMissing = 0x8102,
  // A folder that cannot be listed or a file that cannot be opened or read
  // is left out and the archive written with the rest (an old entry of such
  // a file stays). The output names each, one line per path.
  kSourceUnreadable = 0x8103,
  kArchiveDamaged = 0x8104,  // the existing archive is not one, or is broken
  kArchiveUnwritable = 0x8105,
  kNameTooLong = 0x8106,
  kSourceChanged = 0x8107,  // a file grew or shrank across 4 GiB while it was read
  kCheckFailed = 0x8108,    // the new archive read back differs from what was read
  kCancelled = 0x8109,      // the caller stopped it (entry_taken); the old archive stays
  kInternalError = 0x81FF,
};

struct CommandOutcome {
  int code = kOk;
  std::string message;  // code page 932, one line
};

struct CommandOptions {
  ParserOptions parser;  // the library always uses the defaults
  int workers = 0;       // 0: one per processor the process may use, at most kMaxWorkers
  // Told each file as it is taken for the archive (its path and listed
  // size), one call at a time, from whichever worker takes it. False stops
  // the command at the next file: it ends with kCancelled and writes nothing.
  std::function<bool(const std::wstring& path, uint64_t size)> entry_taken;
  yx::win::FindNextCall find_next = ::FindNextFileW;  // of the walk of the sources
};

// `command_line` is code page 932 text. Never throws.
[[nodiscard]] CommandOutcome RunCommand(std::string_view command_line,
                                        const CommandOptions& options = {}) noexcept;

// For tests and benchmarks only, never called by the library (so the linker
// leaves it out of the DLL): RunCommand with `before_check` called on the new
// archive once it is written and closed, before it is read back and checked.
// Tests damage the archive there; the benchmark times the check from there.
[[nodiscard]] CommandOutcome RunCommandWithCheckHook(
    std::string_view command_line, const CommandOptions& options,
    const std::function<void(const std::wstring& new_archive)>& before_check) noexcept;

// Workers for this process: the processors it may run on, 1 to kMaxWorkers.
[[nodiscard]] int DefaultWorkers() noexcept;

}  // namespace yx::lha::win
