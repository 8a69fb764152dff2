#include "win/program_arguments.h"

#include <cstdlib>

namespace yx::win {

std::vector<std::wstring> ProgramArguments() {
  std::vector<std::wstring> args;
  for (int i = 1; __wargv && i < __argc; ++i) args.emplace_back(__wargv[i]);
  return args;
}

}  // namespace yx::win
