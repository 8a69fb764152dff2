#include "restore/restore_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

#include "base/byte_size.h"
#include "restore/restore_plan.h"
#include "restore/wide_text.h"
#include "ui/dpi.h"
#include "ui/window.h"
#include "win/text.h"

namespace yx::restore {

void ReportList::Create(HWND parent, RECT bounds, HFONT font, const std::vector<Column>& columns) {
  CreateChild(parent, WC_LISTVIEWW, L"",
              LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_BORDER, bounds);
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

void ReportList::SetRows(const std::vector<std::vector<std::wstring>>& rows) {
  filling_ = true;
  ListView_DeleteAllItems(hwnd_);
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size(); ++c) {
      std::wstring text = rows[r][c];
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(r);
      item.iSubItem = static_cast<int>(c);
      item.pszText = text.data();
      ::SendMessageW(hwnd_, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0,
                     reinterpret_cast<LPARAM>(&item));
    }
  }
  filling_ = false;
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

void FileTree::Show(const std::vector<StoredEntry>& entries) {
  filling_ = true;
  TreeView_DeleteAllItems(hwnd_);
  nodes_.clear();
  children_.clear();
  // Folders before files, each level by name: the order Explorer shows.
  std::vector<const StoredEntry*> sorted;
  for (const StoredEntry& e : entries) sorted.push_back(&e);
  std::sort(sorted.begin(), sorted.end(),
            [](const StoredEntry* a, const StoredEntry* b) { return a->path < b->path; });
  std::map<std::u16string, size_t> folders;
  const auto parent_folder = [](std::u16string_view path) {
    const std::u16string_view parent = ParentOf(path);
    return parent.substr(0, parent.empty() ? 0 : parent.size() - 1);
  };
  const auto add = [&](std::u16string path, bool folder, size_t parent) {
    nodes_.push_back({std::move(path), folder, 0, 0, parent, nullptr, false});
    children_[parent].push_back(nodes_.size() - 1);
    return nodes_.size() - 1;
  };
  // The node of a folder path, made (with its parents) when the backup has
  // no entry of its own for it.
  const auto folder_node = [&](auto& self, std::u16string_view path) -> size_t {
    if (path.empty()) return kTop;
    const std::u16string key(path);
    if (const auto found = folders.find(key); found != folders.end()) return found->second;
    const size_t parent = self(self, parent_folder(path));
    const size_t node = add(key, true, parent);
    folders.emplace(key, node);
    return node;
  };
  for (const StoredEntry* e : sorted) {
    if (e->folder) {
      (void)folder_node(folder_node, e->path);
      continue;
    }
    const size_t node = add(e->path, false, folder_node(folder_node, parent_folder(e->path)));
    nodes_[node].size = e->size;
    nodes_[node].modified = e->modified;
  }
  // A folder's items are made as it is first opened: a backup of many
  // thousand files fills the tree in a moment.
  Fill(kTop);
  filling_ = false;
}

void FileTree::Fill(size_t folder) {
  const HTREEITEM parent = folder == kTop ? TVI_ROOT : nodes_[folder].item;
  if (folder != kTop) nodes_[folder].filled = true;
  const auto found = children_.find(folder);
  if (found == children_.end()) return;
  for (const size_t i : found->second) {
    Node& node = nodes_[i];
    std::wstring text = Wide(LastName(node.path));
    if (!node.folder) text += L"    " + SizeText(node.size) + L"    " + TimeText(node.modified);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | (node.folder ? TVIF_CHILDREN : 0);
    insert.item.pszText = text.data();
    insert.item.cChildren = node.folder ? 1 : 0;
    insert.item.lParam = static_cast<LPARAM>(i);
    node.item = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }
}

std::optional<std::u16string> FileTree::Selected() const {
  const HTREEITEM selected = TreeView_GetSelection(hwnd_);
  if (!selected) return std::nullopt;
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = selected;
  if (!TreeView_GetItem(hwnd_, &item) || static_cast<size_t>(item.lParam) >= nodes_.size())
    return std::nullopt;
  return nodes_[static_cast<size_t>(item.lParam)].path;
}

bool FileTree::Select(std::u16string_view path) {
  for (size_t i = 0; i < nodes_.size(); ++i) {
    if (!SamePath(nodes_[i].path, path)) continue;
    // Its folders' items are made first, from the top down.
    std::vector<size_t> above;
    for (size_t up = nodes_[i].parent; up != kTop; up = nodes_[up].parent) above.push_back(up);
    for (auto it = above.rbegin(); it != above.rend(); ++it)
      if (!nodes_[*it].filled) Fill(*it);
    return TreeView_SelectItem(hwnd_, nodes_[i].item);
  }
  return false;
}

LRESULT FileTree::OnNotify(const NMHDR& hdr) {
  if (hdr.code == TVN_ITEMEXPANDINGW) {
    const auto& expanding = reinterpret_cast<const NMTREEVIEWW&>(hdr);
    const size_t i = static_cast<size_t>(expanding.itemNew.lParam);
    if ((expanding.action & TVE_EXPAND) && i < nodes_.size() && nodes_[i].folder &&
        !nodes_[i].filled)
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
