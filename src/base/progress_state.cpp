#include "base/progress_state.h"

namespace yx {

void ProgressState::Begin() {
  counted = 0;
  total = -1;
  files_done = 0;
  bytes_done = 0;
  SetName({});
  stage = Stage::kCounting;
}

void ProgressState::SetName(std::wstring_view name) {
  const std::lock_guard<std::mutex> hold(name_mutex_);
  name_.assign(name);
}

std::wstring ProgressState::Name() const {
  const std::lock_guard<std::mutex> hold(name_mutex_);
  return name_;
}

}  // namespace yx
