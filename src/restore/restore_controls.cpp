#include "restore/restore_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "base/byte_size.h"
#include "restore/restore_plan.h"
#include "restore/wide_text.h"
#include "ui/dpi.h"
#include "ui/window.h"
#include "win/text.h"

namespace yx::restore {

void ReportList::Create(HWND parent, RECT bounds, HFONT font, const std::vector<Column>& columns) {
  CreateChild(
      parent, WC_LISTVIEWW, L"",
      LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_BORDER,
      bounds);
  SetFont(font);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT);
  int index = 0;
  for (const Column& c : columns) {
    std::wstring caption = win::ToWide(c.cp932_caption);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = caption.data();
    column.cx = ui::Scaled(c.width, ui::WindowDpi(parent));
    ::SendMessageW(hwnd_, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&column));
  }
}

void ReportList::SetRows(std::vector<std::vector<std::wstring>> rows) {
  filling_ = true;
  // A virtual list keeps the selection by row: the old rows' goes first.
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  rows_ = std::move(rows);
  ListView_SetItemCountEx(hwnd_, static_cast<int>(rows_.size()), 0);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
  filling_ = false;
}

void ReportList::SetRow(size_t row, std::vector<std::wstring> cells) {
  if (row >= rows_.size()) return;
  rows_[row] = std::move(cells);
  ListView_RedrawItems(hwnd_, static_cast<int>(row), static_cast<int>(row));
}

std::optional<size_t> ReportList::Selected() const {
  const int row = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
  if (row < 0) return std::nullopt;
  return static_cast<size_t>(row);
}

void ReportList::Select(size_t row) {
  const int r = static_cast<int>(row);
  ListView_SetItemState(hwnd_, r, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(hwnd_, r, FALSE);
}

size_t ReportList::Count() const { return static_cast<size_t>(ListView_GetItemCount(hwnd_)); }

std::wstring ReportList::Cell(size_t row, int column) const {
  std::wstring text(1024, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  const LRESULT length =
      ::SendMessageW(hwnd_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  text.resize(static_cast<size_t>(length));
  return text;
}

LRESULT ReportList::OnNotify(const NMHDR& hdr) {
  if (hdr.code == LVN_GETDISPINFOW) {
    const LVITEMW& item = reinterpret_cast<const NMLVDISPINFOW&>(hdr).item;
    const auto row = static_cast<size_t>(item.iItem);
    const auto column = static_cast<size_t>(item.iSubItem);
    if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0) {
      const std::wstring* text =
          row < rows_.size() && column < rows_[row].size() ? &rows_[row][column] : nullptr;
      const size_t length =
          text ? std::min(text->size(), static_cast<size_t>(item.cchTextMax) - 1) : 0;
      if (length) std::wmemcpy(item.pszText, text->data(), length);
      item.pszText[length] = L'\0';
    }
    return 0;
  }
  // Typing in the list goes to the next row whose first cell begins with
  // what was typed, as in a list that keeps its own rows.
  if (hdr.code == LVN_ODFINDITEMW) {
    const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(hdr);
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
    const std::wstring_view typed = find.lvfi.psz;
    const size_t start = find.iStart > 0 ? static_cast<size_t>(find.iStart) : 0;
    const size_t rows =
        (find.lvfi.flags & LVFI_WRAP) ? rows_.size() : rows_.size() - std::min(start, rows_.size());
    for (size_t n = 0; n < rows; ++n) {
      const std::wstring& first = rows_[(start + n) % rows_.size()].front();
      if (first.size() >= typed.size() &&
          ::CompareStringOrdinal(first.data(), static_cast<int>(typed.size()), typed.data(),
                                 static_cast<int>(typed.size()), TRUE) == CSTR_EQUAL)
        return static_cast<LRESULT>((start + n) % rows_.size());
    }
    return -1;
  }
  if (hdr.code != LVN_ITEMCHANGED || filling_) return 0;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(hdr);
  if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
      !(change.uOldState & LVIS_SELECTED) && on_select)
    on_select();
  return 0;
}

void FileTree::Create(HWND parent, RECT bounds, HFONT font) {
  CreateChild(
      parent, WC_TREEVIEWW, L"",
      TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP | WS_BORDER,
      bounds);
  SetFont(font);
}

void FileTree::Show(std::shared_ptr<const BackupTree> tree) {
  filling_ = true;
  TreeView_DeleteAllItems(hwnd_);
  tree_ = std::move(tree);
  const size_t nodes = tree_ ? tree_->nodes.size() : 0;
  items_.assign(nodes, nullptr);
  filled_.assign(nodes, false);
  if (tree_) Fill(BackupTree::kTop);
  filling_ = false;
}

void FileTree::Fill(size_t folder) {
  const HTREEITEM parent = folder == BackupTree::kTop ? TVI_ROOT : items_[folder];
  if (folder != BackupTree::kTop) filled_[folder] = true;
  const auto found = tree_->children.find(folder);
  if (found == tree_->children.end()) return;
  for (const size_t i : found->second) {
    const BackupTree::Node& node = tree_->nodes[i];
    std::wstring text = Wide(LastName(node.path));
    if (!node.folder) text += L"    " + SizeText(node.size) + L"    " + TimeText(node.modified);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | (node.folder ? TVIF_CHILDREN : 0);
    insert.item.pszText = text.data();
    insert.item.cChildren = node.folder ? 1 : 0;
    insert.item.lParam = static_cast<LPARAM>(i);
    items_[i] = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }
}

std::optional<std::u16string> FileTree::Selected() const {
  const HTREEITEM selected = TreeView_GetSelection(hwnd_);
  if (!selected) return std::nullopt;
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = selected;
  if (!tree_ || !TreeView_GetItem(hwnd_, &item) ||
      static_cast<size_t>(item.lParam) >= tree_->nodes.size())
    return std::nullopt;
  return tree_->nodes[static_cast<size_t>(item.lParam)].path;
}

bool FileTree::Select(std::u16string_view path) {
  if (!tree_) return false;
  const std::vector<BackupTree::Node>& nodes = tree_->nodes;
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (!SamePath(nodes[i].path, path)) continue;
    // Its folders' items are made first, from the top down.
    std::vector<size_t> above;
    for (size_t up = nodes[i].parent; up != BackupTree::kTop; up = nodes[up].parent)
      above.push_back(up);
    for (auto it = above.rbegin(); it != above.rend(); ++it)
      if (!filled_[*it]) Fill(*it);
    return TreeView_SelectItem(hwnd_, items_[i]);
  }
  return false;
}

LRESULT FileTree::OnNotify(const NMHDR& hdr) {
  if (hdr.code == TVN_ITEMEXPANDINGW) {
    const auto& expanding = reinterpret_cast<const NMTREEVIEWW&>(hdr);
    const size_t i = static_cast<size_t>(expanding.itemNew.lParam);
    if ((expanding.action & TVE_EXPAND) && tree_ && i < tree_->nodes.size() &&
        tree_->nodes[i].folder && !filled_[i])
      Fill(i);
    return 0;
  }
  if (hdr.code == TVN_SELCHANGEDW && !filling_ && on_select) on_select();
  return 0;
}

namespace {

// Enter stays with the field, which shows the versions of what it holds.
LRESULT CALLBACK EnterShowsVersions(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                    DWORD_PTR ref) noexcept {
  if (msg == WM_GETDLGCODE) return ui::KeepEnterDlgCode(hwnd, wp, lp);
  if (msg == WM_CHAR && wp == L'\r') return 0;  // no beep
  if (msg == WM_KEYDOWN && wp == VK_RETURN) {
    auto* edit = reinterpret_cast<WideEdit*>(ref);
    return ui::Guarded([&] {
      if (edit->on_enter) edit->on_enter();
      return LRESULT{0};
    });
  }
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &EnterShowsVersions, 1);
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void WideEdit::Create(HWND parent, RECT bounds, HFONT font) {
  CreateChild(parent, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, bounds, WS_EX_CLIENTEDGE);
  SetFont(font);
  ::SetWindowSubclass(hwnd_, &EnterShowsVersions, 1, reinterpret_cast<DWORD_PTR>(this));
}

void WideEdit::OnCommand(WORD code) {
  if (code == EN_CHANGE && on_change) on_change();
}

std::wstring WideEdit::Text() const { return ui::WindowTextWide(hwnd_); }

void WideEdit::SetText(const std::wstring& text) { ::SetWindowTextW(hwnd_, text.c_str()); }

std::wstring SizeText(uint64_t bytes) { return win::ToWide(FormatByteSize(bytes)); }

std::wstring CountText(uint64_t count) { return win::ToWide(GroupedDigits(count)); }

std::wstring TimeText(uint64_t filetime) {
  if (filetime == 0) return L"";
  const FILETIME utc{static_cast<DWORD>(filetime), static_cast<DWORD>(filetime >> 32)};
  FILETIME local;
  SYSTEMTIME t;
  if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &t)) return L"";
  wchar_t text[32];
  std::swprintf(text, 32, L"%02u/%02u/%02u %02u:%02u", t.wYear % 100u, t.wMonth, t.wDay, t.wHour,
                t.wMinute);
  return text;
}

}  // namespace yx::restore
