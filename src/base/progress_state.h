#pragma once
// The progress of long work that runs on a thread of its own, shared with the
// window that shows it. Neither side waits for the other: the worker writes
// what it has done as it goes, the window reads it on its own time, on a
// timer, or on a message the worker posts when the stage changes, and sets
// the cancel request, which the worker reads before its next file.
//
// A window shows it from its timer, for instance:
//   case WM_TIMER:
//     gauge.SetMaxValue(state.total);       // -1 until the count is whole
//     gauge.SetProgress(state.files_done);
//     name_label.SetCaption(state.Name());
//   and on its cancel button: state.cancel = true;
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace yx {

class ProgressState {
 public:
  enum class Stage { kIdle, kCounting, kCopying, kArchiving, kEnded };

  // From the worker as the work begins: nothing counted or done, and no
  // name. The cancel request is the window's and stays as it is.
  void Begin();

  std::atomic<Stage> stage{Stage::kIdle};
  std::atomic<int32_t> counted{0};  // the running count of what is to be done
  std::atomic<int32_t> total{-1};   // the count once whole, -1 before
  std::atomic<int32_t> files_done{0};
  std::atomic<uint64_t> bytes_done{0};
  std::atomic<bool> cancel{false};

  // What the worker is at now, for a window that shows it.
  void SetName(std::wstring_view name);
  [[nodiscard]] std::wstring Name() const;

 private:
  mutable std::mutex name_mutex_;
  std::wstring name_;
};

}  // namespace yx
