// Folders dragged from the shell onto the destination field or the source list.
#include "app/settings_form.h"

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::app {
namespace {

struct DropTraits {
  using Handle = HDROP;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::DragFinish(h); }
};

// The dropped item's full name as the shell gives it, in UTF-16 and however
// long: the ANSI form would spell é as e, a different folder that may exist,
// and a name cut to a fixed buffer would name another folder too.
std::wstring DroppedName(HDROP drop, UINT index) {
  const UINT length = ::DragQueryFileW(drop, index, nullptr, 0);
  std::wstring name(length + 1, L'\0');
  const UINT got = ::DragQueryFileW(drop, index, name.data(), length + 1);
  name.resize(got);
  return name;
}

// A dropped file stands for its folder, with the final backslash.
std::wstring FolderOf(std::wstring name) {
  const DWORD attributes = win::Attributes(name);
  // Attributes that cannot be read count as a folder.
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    name.resize(name.find_last_of(L'\\') + 1);
  return name;
}

bool Shows(const ui::Control& target, POINT screen) {
  RECT r;
  return ::IsWindowVisible(target.Handle()) && ::GetWindowRect(target.Handle(), &r) &&
         ::PtInRect(&r, screen);
}

}  // namespace

void TForm2::HandleDropFiles(MSG& msg, bool& handled) {
  if (msg.message != WM_DROPFILES) {
    handled = false;
    return;
  }
  handled = true;
  const win::UniqueHandle<DropTraits> drop(reinterpret_cast<HDROP>(msg.wParam));
  // A run or the 除外 walk reads the settings as they were shown when it
  // started: nothing dropped meanwhile is taken.
  if (worker_.Busy()) return;
  // Where the items were let go, in this window's client area (the window
  // registered for drops): the pointer may have moved on since. The grid's cell editor lies
  // within the grid, so a drop on the current row is a drop on the grid.
  POINT at{};
  if (!::DragQueryPoint(drop.get(), &at)) return;
  ::ClientToScreen(hwnd_, &at);
  const bool to_destination = Shows(EditTo, at);
  if (!to_destination && !Shows(EditFrom, at)) return;

  int row = 0;
  while (row < ui::StringGrid::kRows && !EditFrom.Cell(row).empty()) ++row;
  const UINT count = ::DragQueryFileW(drop.get(), 0xFFFFFFFF, nullptr, 0);
  const UINT room = to_destination ? 1u : static_cast<UINT>(ui::StringGrid::kRows - row);
  std::vector<std::string> names;
  std::wstring unstorable;
  for (UINT i = 0; i < std::min(count, room); ++i) {
    const std::wstring name = FolderOf(DroppedName(drop.get(), i));
    bool lossy = false;
    names.push_back(win::FromWide(name, win::kCodePage932, &lossy));
    if (lossy) unstorable += L"PATH=" + name + L"\r\n";
  }
  // The settings file holds Shift-JIS bytes: a name it cannot spell exactly
  // would be saved as another folder, so the whole drop is refused.
  if (!unstorable.empty()) {
    const std::wstring text =
        unstorable + win::ToWide(
                         "フォルダ名にShift-JISで表せない文字があります。"
                         "設定ファイルはShift-JISで保存されるため、このフォルダは設定できません");
    if (session_.Unattended())
      session_.Log().LogLine(win::FromWide(text));
    else
      dialogs_.ShowWideMessage(hwnd_, app_.Title(), text);
    return;
  }
  for (const std::string& name : names) {
    if (to_destination) {
      EditTo.SetText(name);  // its change event marks the settings changed
      continue;
    }
    // A changed row counts as an edit, like typing, so Exit asks to save it.
    const bool changed = EditFrom.Cell(row) != name;
    EditFrom.SetCell(row, name);
    if (changed) MarkSettingsChanged();
    ++row;
  }
}

}  // namespace yx::app
