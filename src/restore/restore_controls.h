#pragma once
// The three controls the restore window adds to the program's own: a report
// list, the tree of one backup, and a one-line field that keeps wide text
// (a typed or dropped path may hold names beyond Shift-JIS).
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "restore/backup_tree.h"
#include "restore/stored_entry.h"
#include "ui/control.h"

namespace yx::restore {

// A virtual list view: the control asks for the cells it draws, so rows
// of any number are set at once.
class ReportList : public ui::Control {
 public:
  ui::Event on_select;  // the selected row changed, by the user or by Select()

  struct Column {
    const char* cp932_caption;
    int width;
  };
  void Create(HWND parent, RECT bounds, HFONT font, const std::vector<Column>& columns);
  void SetRows(std::vector<std::vector<std::wstring>> rows);
  // One row's cells anew.
  void SetRow(size_t row, std::vector<std::wstring> cells);
  [[nodiscard]] std::optional<size_t> Selected() const;
  void Select(size_t row);
  [[nodiscard]] size_t Count() const;
  [[nodiscard]] std::wstring Cell(size_t row, int column) const;

  LRESULT OnNotify(const NMHDR& hdr) override;

 private:
  std::vector<std::vector<std::wstring>> rows_;
  bool filling_ = false;
};

// One backup as folders and files; each item stands for a stored path.
class FileTree : public ui::Control {
 public:
  ui::Event on_select;

  void Create(HWND parent, RECT bounds, HFONT font);
  // Shows `tree` (nothing: empty), its top level made at once and each
  // folder's items as it is first opened.
  void Show(std::shared_ptr<const BackupTree> tree);
  // The stored path of the selected item.
  [[nodiscard]] std::optional<std::u16string> Selected() const;
  // Selects the item of `path` if the tree holds it.
  bool Select(std::u16string_view path);

  LRESULT OnNotify(const NMHDR& hdr) override;

 private:
  // Makes the items of `folder`'s entries (BackupTree::kTop: the top level).
  void Fill(size_t folder);

  std::shared_ptr<const BackupTree> tree_;
  std::vector<HTREEITEM> items_;  // of each node, made when its folder is first opened
  std::vector<bool> filled_;      // a folder whose items are made
  bool filling_ = false;
};

class WideEdit : public ui::Control {
 public:
  ui::Event on_enter;   // Enter pressed in it
  ui::Event on_change;  // its text changed, whoever changed it

  void Create(HWND parent, RECT bounds, HFONT font);
  void OnCommand(WORD code) override;
  [[nodiscard]] std::wstring Text() const;
  void SetText(const std::wstring& text);
};

// "1.2 MB" (base/byte_size.h), "1,234" files, and a FILETIME as local
// "yy/mm/dd hh:nn".
[[nodiscard]] std::wstring SizeText(uint64_t bytes);
[[nodiscard]] std::wstring CountText(uint64_t count);
[[nodiscard]] std::wstring TimeText(uint64_t filetime);

}  // namespace yx::restore
