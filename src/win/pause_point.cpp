#include "win/pause_point.h"

#include <utility>

namespace yx::win {
namespace {

std::function<void(std::string_view)>& Handler() {
  static std::function<void(std::string_view)> handler;
  return handler;
}

}  // namespace

void PausePoint(std::string_view name) {
  if (const auto& handler = Handler()) handler(name);
}

bool PausePointsActive() { return static_cast<bool>(Handler()); }

void SetPausePointForTesting(std::function<void(std::string_view)> handler) {
  Handler() = std::move(handler);
}

}  // namespace yx::win
