// Folders dragged from the shell onto the destination field or the source list.
#include "app/settings_form.h"

#include <shellapi.h>

#include "base/cp932.h"
#include "win/file_system.h"

namespace yx::app {
namespace {

// The dropped item's full name, however long: a name cut to a fixed buffer
// would name a different folder.
std::string DroppedName(HDROP drop, UINT index) {
  const UINT length = ::DragQueryFileA(drop, index, nullptr, 0);
  std::string name(length + 1, '\0');
  const UINT got = ::DragQueryFileA(drop, index, name.data(), length + 1);
  name.resize(got);
  return name;
}

}  // namespace

void TForm2::HandleDropFiles(MSG& msg, bool& handled) {
  if (msg.message != WM_DROPFILES) {
    handled = false;
    return;
  }
  const auto drop = reinterpret_cast<HDROP>(msg.wParam);
  POINT at{};
  ::GetCursorPos(&at);
  const HWND target = ::WindowFromPoint(at);
  const bool to_destination = target == EditTo.Handle();
  const bool to_sources = target == EditFrom.Handle();
  if (to_destination || to_sources) {
    int row = 0;
    while (row < ui::StringGrid::kRows && !EditFrom.Cell(row).empty()) ++row;
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    const UINT taken = to_destination ? std::min(count, 1u) : count;
    for (UINT i = 0; i < taken; ++i) {
      std::string name = DroppedName(drop, i);
      const DWORD attributes = win::Attributes(win::WidePath(name));
      // Attributes that cannot be read count as a folder.
      if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        name = cp932::FolderPart(name);
      if (to_destination) {
        EditTo.SetText(name);
      } else {
        if (row == ui::StringGrid::kRows) break;
        EditFrom.SetCell(row, name);
        ++row;
      }
    }
  }
  handled = true;
  ::DragFinish(drop);
}

}  // namespace yx::app
