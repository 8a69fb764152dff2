#include "backup/fault_lines.h"

namespace yx::backup {

void FaultLines::Add(std::string_view cp932_line) {
  if (count_++ < kShown) log_line_(cp932_line);
}

void FaultLines::Finish() {
  if (count_ > kShown)
    log_line_("ほかに " + std::to_string(count_ - kShown) + " 件をバックアップできませんでした");
}

}  // namespace yx::backup
