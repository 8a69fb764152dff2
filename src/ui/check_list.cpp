#include "ui/check_list.h"

#include <commctrl.h>

#include "win/text.h"

namespace yx::ui {

void CheckList::Create(HWND parent, RECT bounds, HFONT font,
                       const std::vector<std::string>& cp932_items) {
  CreateChild(parent, WC_LISTVIEWW, L"",
              LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
              bounds);
  SetFont(font);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  RECT client;
  ::GetClientRect(hwnd_, &client);
  column.cx = client.right;
  ListView_InsertColumn(hwnd_, 0, &column);
  setting_ = true;
  for (size_t i = 0; i < cp932_items.size(); ++i) {
    std::wstring text = win::ToWide(cp932_items[i]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = text.data();
    ListView_InsertItem(hwnd_, &item);
    ListView_SetCheckState(hwnd_, static_cast<int>(i), FALSE);
  }
  setting_ = false;
  checked_.assign(cp932_items.size(), false);
}

void CheckList::SetChecked(size_t row, bool checked) {
  if (checked_.at(row) == checked) return;
  checked_[row] = checked;
  setting_ = true;
  ListView_SetCheckState(hwnd_, static_cast<int>(row), checked ? TRUE : FALSE);
  setting_ = false;
}

RECT CheckList::TickRect(size_t row) const {
  // The tick is the item's state image, at the left end of its row.
  RECT r{};
  ListView_GetItemRect(hwnd_, static_cast<int>(row), &r, LVIR_BOUNDS);
  int cx = 16, cy = 16;
  if (HIMAGELIST ticks = ListView_GetImageList(hwnd_, LVSIL_STATE))
    ImageList_GetIconSize(ticks, &cx, &cy);
  r.right = r.left + cx;
  return r;
}

LRESULT CheckList::OnNotify(const NMHDR& hdr) {
  if (hdr.code != LVN_ITEMCHANGED || setting_) return 0;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(hdr);
  if (!(change.uChanged & LVIF_STATE) || change.iItem < 0 ||
      static_cast<size_t>(change.iItem) >= checked_.size())
    return 0;
  const bool now = ListView_GetCheckState(hwnd_, change.iItem) != FALSE;
  if (now == checked_[static_cast<size_t>(change.iItem)]) return 0;
  checked_[static_cast<size_t>(change.iItem)] = now;
  if (on_click_check) on_click_check();
  return 0;
}

}  // namespace yx::ui
