// The 除外 page's two buttons. 確認 counts the sources as a run's count does
// (the same copier, the same exclusions), so what it shows is what the next
// run leaves out; it only lists folders and never writes anything.
#include <algorithm>
#include <memory>
#include <string>

#include "app/settings_form.h"
#include "backup/run.h"
#include "backup/tree_copier.h"
#include "base/byte_size.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::app {
namespace {

constexpr const char* kUsualExclusions[] = {"~$*", "*.tmp", "Thumbs.db", "desktop.ini",
                                            "node_modules\\"};

bool SameAscii(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return up(x) == up(y);
  });
}

std::wstring Amount(uint64_t files, uint64_t bytes) {
  return std::to_wstring(files) + L" 件 (" + win::ToWide(FormatByteSize(bytes)) + L")";
}

// What the page shows after a walk: the sum, then each rule with its first
// paths; a pattern that took nothing says so too.
std::wstring CheckReport(const settings::Settings& s, const backup::ExclusionTally& tally,
                         int32_t files_left) {
  std::wstring text;
  if (tally.files == 0)
    text = L"除外されるファイルはありません。";
  else
    text = L"除外: " + Amount(tally.files, tally.bytes);
  text += L"\r\nバックアップされるファイル: " + std::to_wstring(files_left) + L" 件";
  if (files_left == 0 && tally.files > 0) text += L"\r\nすべてのファイルが除外されます。";
  const auto rule_lines = [&](int rule, const std::wstring& name) {
    const auto found = tally.rules.find(rule);
    const backup::ExclusionTally::Rule none;
    const backup::ExclusionTally::Rule& r = found == tally.rules.end() ? none : found->second;
    text += L"\r\n\r\n" + name + L" " + Amount(r.files, r.bytes);
    for (const std::wstring& path : r.first) text += L"\r\n    " + path;
    if (r.first.size() == backup::ExclusionTally::kFirstShown) text += L"\r\n    …";
  };
  for (int row = 0; row < settings::kExclusionRows; ++row) {
    const std::string& pattern = s.exclusions[static_cast<size_t>(row)];
    if (IsUsableExclusion(pattern)) rule_lines(row, L"[" + win::ToWide(pattern) + L"]");
  }
  if (s.exclusion_size_mb > 0)
    rule_lines(Exclusions::kTooLarge,
               L"[" + std::to_wstring(s.exclusion_size_mb) + L" MB より大きいファイル]");
  return text;
}

}  // namespace

void TForm2::BtnExclCommonClick() {
  bool added = false;
  for (const char* usual : kUsualExclusions) {
    bool present = false;
    int empty = -1;
    for (int row = GridExcl.Rows() - 1; row >= 0; --row) {
      present = present || SameAscii(GridExcl.Cell(row), usual);
      if (GridExcl.Cell(row).empty()) empty = row;
    }
    if (present || empty < 0) continue;
    GridExcl.SetCell(empty, usual);
    added = true;
  }
  if (added) Modified = true;
}

void TForm2::BtnExclCheckClick() {
  if (checking_exclusions_) {
    exclusion_check_.cancel = true;
    return;
  }
  if (worker_.Busy()) return;
  const settings::Settings shown = ShownSettings();
  // A run must not start, nor the settings be saved, in the middle of the
  // walk, which goes on its own thread. The page stays, for the second click.
  checking_exclusions_ = true;
  exclusion_check_.Begin();
  exclusion_check_.cancel = false;
  HoldCommands(true);
  BtnExclCheck.SetCaption("中止");
  ShowExclusionCount();
  auto sink = std::make_shared<backup::StateSink>(exclusion_check_);
  // The count never reads the ticks: they pace a copy's refreshes.
  auto copier = std::make_shared<backup::TreeCopier>(*sink, [] { return ::GetTickCount64(); });
  auto whole = std::make_shared<bool>(true);
  const auto walk = [shown, sink, copier, whole] {
    if (win::FolderExists(shown.destination))
      copier->ExcludeFolder(win::WidePath(backup::RunFolder(shown.destination)));
    copier->SetExclusions(backup::RunExclusions(shown));
    for (const std::string& cell : shown.sources) {
      if (cell.empty() || !win::FolderExists(cell)) continue;
      *whole = copier->CountFiles(win::WidePath(backup::RunFolder(cell)));
      if (!*whole) break;
    }
  };
  const auto report = [this, shown, sink, copier, whole] {
    BtnExclCheck.SetCaption("確認");
    LblExclState.SetCaption("");
    HoldCommands(false);
    checking_exclusions_ = false;
    if (!*whole) {
      dialogs_.ShowMessage(hwnd_, app_.Title(), "確認を中止しました。");
      return;
    }
    dialogs_.ShowWideMessage(hwnd_, app_.Title(),
                             CheckReport(shown, copier->Excluded(), copier->FileTotal()));
  };
  (void)worker_.Start(hwnd_, walk, report);
}

void TForm2::ShowExclusionCount() {
  LblExclState.SetCaption("確認中: " + std::to_string(exclusion_check_.counted) + " 件");
}

}  // namespace yx::app
