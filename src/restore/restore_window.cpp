#include "restore/restore_window.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>

#include "base/file_error.h"
#include "restore/verify.h"
#include "restore/wide_text.h"
#include "ui/dpi.h"
#include "ui/font.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::restore {
namespace {

constexpr wchar_t kClassName[] = L"YorudexRestore";
constexpr int kClientWidth = 760;
constexpr int kClientHeight = 544;
constexpr size_t kFailuresShown = 10;

class SystemRestoreQuestions final : public RestoreQuestions {
 public:
  std::optional<Existing> AskExisting(HWND owner, const std::wstring& existing_file) override {
    const std::wstring text =
        existing_file +
        win::ToWide(
            " はすでにあります。すでにあるファイルをどうしますか（この復元のすべてのファ"
            "イルに使います）。\r\n\r\nはい: 両方残す（復元したファイルの名前にバックアッ"
            "プの日時を付けます）\r\nいいえ: 上書きする\r\nキャンセル: 復元しない");
    switch (::MessageBoxW(owner, text.c_str(), win::ToWide(kTitle).c_str(),
                          MB_YESNOCANCEL | MB_DEFBUTTON1 | MB_ICONQUESTION)) {
      case IDNO:
        return Existing::kOverwrite;
      case IDCANCEL:
        return Existing::kSkip;
      default:
        return Existing::kKeepBoth;
    }
  }

  std::optional<std::wstring> PickFolder(HWND owner, const std::string& caption) override {
    const std::wstring title = win::ToWide(caption);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) return std::nullopt;
    std::wstring path(32768, L'\0');
    const bool got = ::SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()),
                                             GPFIDL_DEFAULT);
    ::ILFree(chosen);
    if (!got) return std::nullopt;
    path.resize(std::wcslen(path.c_str()));
    return path;
  }
};

bool LooksLikeOriginal(const std::wstring& path) {
  return path.find(L':') != std::wstring::npos || path.starts_with(L"\\\\");
}

}  // namespace

RestoreQuestions& SystemQuestions() {
  static SystemRestoreQuestions questions;
  return questions;
}

RestoreWindow::RestoreWindow(ui::Application& app, ui::Dialogs& dialogs, Program program,
                             RestoreQuestions& questions)
    : app_(app), dialogs_(dialogs), questions_(questions), program_(std::move(program)) {
  CreateControls();
  ListBackups.on_select = [this] { ShowBackup(); };
  TreeFiles.on_select = [this] {
    current_backup_ = ListBackups.Selected();
    current_path_ = TreeFiles.Selected().value_or(u"");
    EditPath.SetText(Wide(current_path_));
  };
  ListVersions.on_select = [this] {
    const std::optional<size_t> row = ListVersions.Selected();
    if (!row || *row >= version_backups_.size()) return;
    const std::u16string path = current_path_;
    ListBackups.Select(version_backups_[*row]);
    (void)TreeFiles.Select(path);
    current_backup_ = version_backups_[*row];
    current_path_ = path;
  };
  BtnFrom.on_click = [this] {
    if (const std::optional<std::wstring> root =
            questions_.PickFolder(hwnd_, "バックアップ先のフォルダを選んでください。"))
      LoadDestination(*root);
  };
  BtnVersions.on_click = [this] { ShowVersions(); };
  BtnRestore.on_click = [this] { RestoreInto(std::nullopt); };
  BtnRestoreTo.on_click = [this] {
    if (const std::optional<std::wstring> folder =
            questions_.PickFolder(hwnd_, "復元先のフォルダを選んでください。"))
      RestoreInto(*folder);
  };
  BtnAbort.on_click = [this] { abort_ = true; };
  BtnClose.on_click = [this] { ::PostMessageW(hwnd_, WM_CLOSE, 0, 0); };
  EditPath.on_enter = [this] { ShowVersions(); };
  // Versions listed for another path than the field's are not this one's.
  EditPath.on_change = [this] {
    if (!version_backups_.empty() && U16(EditPath.Text()) != versions_path_) {
      version_backups_.clear();
      ListVersions.SetRows({});
    }
  };
  BtnVerify.on_click = [this] { VerifySelected(); };
  app_.SetMainWindow(hwnd_);
  Layout();
  SetBusy(false);
  // At rest there is no progress to show.
  ::ShowWindow(Gauge.Handle(), SW_HIDE);
  app_.ShowTaskbarEntry();
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::UpdateWindow(hwnd_);
  LoadDestination(program_.Destination());
}

RestoreWindow::~RestoreWindow() {
  // Gone with the object: its WM_DESTROY would end the message loop.
  if (hwnd_) DestroyUnbound(hwnd_);
}

void RestoreWindow::CreateControls() {
  RegisterClassOnce(app_.Instance(), kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                      WS_THICKFRAME | WS_CLIPCHILDREN;
  CreateCentred(this, app_.Instance(), app_.Handle(), kClassName, win::ToWide(kTitle).c_str(),
                style, WS_EX_ACCEPTFILES, kClientWidth, kClientHeight);
  font_ = ui::MakeFont(ui::kFacePGothic, 12);
  const HFONT font = ui::AsFont(font_);
  // Created in the order Tab walks them.
  LblDest.Create(hwnd_, "", {12, 14, 600, 32}, font);
  // Each column as wide as its longest text at 96 DPI: "26/01/05 09:05",
  // "1,023 KB", "記録なし".
  ListBackups.Create(
      hwnd_, {12, 40, 412, 262}, font,
      {{"日時", 116}, {"種類", 48}, {"サイズ", 68}, {"ファイル数", 72}, {"結果", 64}});
  TreeFiles.Create(hwnd_, {424, 40, 748, 262}, font);
  LblPath.Create(hwnd_, "ファイル:", {12, 274, 72, 292}, font);
  EditPath.Create(hwnd_, {76, 270, 620, 294}, font);
  BtnVersions.Create(hwnd_, "版を表示(&V)", {628, 268, 748, 296}, font);
  ListVersions.Create(
      hwnd_, {12, 304, 748, 432}, font,
      {{"バックアップ", 110}, {"種類", 56}, {"サイズ", 80}, {"更新日時", 130}, {"変更", 70}});
  LblState.Create(hwnd_, "", {12, 440, 748, 472}, font);
  Gauge.Create(hwnd_, {12, 476, 748, 494}, font);
  BtnRestore.Create(hwnd_, "元の場所へ復元(&R)", {236, 506, 398, 534}, font);
  BtnRestoreTo.Create(hwnd_, "場所を選んで復元(&T)...", {404, 506, 566, 534}, font);
  BtnAbort.Create(hwnd_, "中止(&A)", {572, 506, 652, 534}, font);
  BtnClose.Create(hwnd_, "閉じる", {668, 506, 748, 534}, font);
  BtnFrom.Create(hwnd_, "バックアップ先(&D)...", {608, 8, 748, 34}, font);
  BtnVerify.Create(hwnd_, "検証(&C)", {12, 506, 112, 534}, font);
}

RestoreWindow::Shown RestoreWindow::ReadShown(const FoundBackup& b) {
  Shown shown;
  // From its catalog when it has one that reads; walked otherwise.
  std::optional<catalog::Catalog> kept;
  if (b.catalog.run) kept = ReadBackupCatalog(b.path, shown.unreadable);
  if (kept)
    shown.entries = AsStored(*kept);
  else
    (void)OpenBackup(b)->List(shown.entries, shown.unreadable);
  return shown;
}

const RestoreWindow::Shown& RestoreWindow::EntriesOf(size_t backup) {
  std::optional<Shown>& shown = shown_.at(backup);
  if (!shown) shown = ReadShown(destination_.backups[backup]);
  return *shown;
}

void RestoreWindow::LoadDestination(const std::wstring& root) {
  if (busy_) return;
  destination_ = {};
  shown_.clear();
  current_backup_.reset();
  current_path_.clear();
  version_backups_.clear();
  ListBackups.SetRows({});
  ListVersions.SetRows({});
  TreeFiles.Show({});
  // On its own thread: the catalogs give the sizes and the files; a backup
  // without one is walked only when it is opened.
  struct Loaded {
    Destination destination;
    std::vector<std::optional<Shown>> shown;
  };
  auto loaded = std::make_shared<Loaded>();
  SetBusy(true);
  (void)worker_.Start(
      hwnd_,
      [this, loaded, root, log_dir = program_.LogDir()] {
        Destination& d = loaded->destination;
        if (root.empty())
          d.fault =
              "設定ファイルにバックアップ先がありません。「バックアップ先」で選んでください。";
        else
          d = ScanDestination(root, log_dir);
        loaded->shown.assign(d.backups.size(), std::nullopt);
      },
      [this, loaded] {
        destination_ = std::move(loaded->destination);
        shown_ = std::move(loaded->shown);
        SetBusy(false);
        ShowDestination();
        ListBackups.SetFocus();
      });
}

void RestoreWindow::ShowDestination() {
  LblDest.SetCaption("バックアップ先: " + win::FromWide(destination_.root));
  std::vector<std::vector<std::wstring>> rows;
  std::string set_aside;  // the last catalog set aside, said below the list
  for (size_t i = 0; i < destination_.backups.size(); ++i) {
    const FoundBackup& b = destination_.backups[i];
    std::vector<std::wstring> row{win::ToWide(ShownTime(b.ref.id)),
                                  b.ref.kind == BackupKind::kCopy ? L"コピー" : L"LZH"};
    if (b.incomplete) {
      row.insert(row.end(), {L"", L"", win::ToWide("作成中")});
    } else if (b.catalog.run) {
      row.insert(row.end(), {SizeText(b.catalog.run->bytes), SizeText(b.catalog.run->files),
                             win::ToWide(OutcomeText(b.run ? &*b.run : nullptr))});
    } else if (shown_[i]) {
      uint64_t size = 0, files = 0;
      for (const StoredEntry& e : shown_[i]->entries)
        if (!e.folder) size += e.size, ++files;
      row.insert(row.end(), {SizeText(size), CountText(files),
                             win::ToWide(OutcomeText(b.run ? &*b.run : nullptr))});
    } else {
      // Counted only when opened: a walk of every backup would keep the
      // list empty for minutes.
      row.insert(row.end(), {win::ToWide("目録なし"), L"",
                             win::ToWide(OutcomeText(b.run ? &*b.run : nullptr))});
      if (!b.catalog.set_aside.empty()) set_aside = b.catalog.set_aside;
    }
    rows.push_back(std::move(row));
  }
  ListBackups.SetRows(rows);
  LblState.SetCaption(destination_.fault.empty() ? set_aside : destination_.fault);
  if (!rows.empty()) ListBackups.Select(0);
}

void RestoreWindow::ShowBackup() {
  current_backup_ = ListBackups.Selected();
  if (!current_backup_) return;
  const FoundBackup& b = destination_.backups[*current_backup_];
  if (b.incomplete) {
    TreeFiles.Show({});
    LblState.SetCaption(
        "このバックアップは作成中か、作成の途中で止まったものです。復元には使えません。");
    return;
  }
  const Shown& shown = EntriesOf(*current_backup_);
  TreeFiles.Show(shown.entries);
  LblState.SetCaption(shown.unreadable);
}

void RestoreWindow::ShowVersions() {
  const std::wstring typed = EditPath.Text();
  if (typed.empty()) return;
  std::u16string path = U16(typed);
  if (LooksLikeOriginal(typed)) {
    std::vector<std::u16string> sources;
    for (const std::string& cell : program_.settings.sources)
      if (!cell.empty()) sources.push_back(U16(win::WidePath(cell)));
    const std::optional<std::u16string> stored = StoredPathOf(path, sources);
    if (!stored) {
      LblState.SetCaption("このファイルはどのバックアップ元フォルダにもありません。");
      return;
    }
    path = *stored;
  }
  if (busy_) return;
  // On the worker: every catalog is read. A backup without one is read whole
  // there and kept for browsing once the window has the answer.
  struct Found {
    std::vector<std::optional<StoredEntry>> per_backup;
    std::vector<std::optional<Shown>> read;
  };
  auto found = std::make_shared<Found>();
  found->per_backup.resize(destination_.backups.size());
  found->read.resize(destination_.backups.size());
  // Back where the user was once the versions are in: Enter in the path.
  const HWND focus = ::GetFocus();
  SetBusy(true);
  (void)worker_.Start(
      hwnd_,
      [this, found, path] {
        for (size_t i = 0; i < found->per_backup.size(); ++i) {
          const FoundBackup& b = destination_.backups[i];
          if (b.incomplete) continue;
          // One path looked up in each catalog, nothing kept of the rest.
          std::string set_aside;
          if (!shown_[i] && b.catalog.run &&
              FindInCatalog(b.path, path, found->per_backup[i], set_aside))
            continue;
          const Shown& shown = shown_[i] ? *shown_[i] : found->read[i].emplace(ReadShown(b));
          for (const StoredEntry& e : shown.entries)
            if (SamePath(e.path, path)) found->per_backup[i] = e;
        }
      },
      [this, found, path, focus] {
        for (size_t i = 0; i < found->read.size(); ++i)
          if (found->read[i]) shown_[i] = std::move(found->read[i]);
        SetBusy(false);
        if (focus != nullptr) ::SetFocus(focus);
        ListVersionsOf(path, found->per_backup);
      });
}

void RestoreWindow::ListVersionsOf(const std::u16string& path,
                                   const std::vector<std::optional<StoredEntry>>& per_backup) {
  std::vector<std::vector<std::wstring>> rows;
  version_backups_.clear();
  for (const VersionRow& v : Versions(per_backup)) {
    const BackupRef& ref = destination_.backups[v.backup].ref;
    rows.push_back({win::ToWide(ShownTime(ref.id)),
                    ref.kind == BackupKind::kCopy ? L"コピー" : L"LZH",
                    v.entry.folder ? win::ToWide("フォルダ") : SizeText(v.entry.size),
                    TimeText(v.entry.modified), v.changed ? win::ToWide("変更あり") : L""});
    version_backups_.push_back(v.backup);
  }
  current_path_ = versions_path_ = path;
  EditPath.SetText(Wide(path));
  ListVersions.SetRows(rows);
  LblState.SetCaption(rows.empty() ? "どのバックアップにもありません。"
                                   : std::to_string(rows.size()) + " 個のバックアップにあります。");
  if (!rows.empty()) ListVersions.Select(0);
}

void RestoreWindow::RestoreInto(std::optional<std::wstring> folder) {
  if (busy_ || !current_backup_ || current_path_.empty() ||
      destination_.backups[*current_backup_].incomplete) {
    LblState.SetCaption("復元するファイルかフォルダを選んでください。");
    return;
  }
  if (!folder) folder = program_.OriginalFolder(current_path_);
  if (!folder)
    folder = questions_.PickFolder(
        hwnd_, "元の場所が設定にありません。復元先のフォルダを選んでください。");
  if (!folder) return;
  const FoundBackup& backup = destination_.backups[*current_backup_];
  std::vector<std::u16string> missing;
  auto plan = std::make_shared<std::vector<PlannedEntry>>(
      PlanRestore(EntriesOf(*current_backup_).entries, {current_path_}, missing));
  auto job = std::make_shared<RestoreJob>();
  job->target = *folder;
  if (job->target.empty() || job->target.back() != L'\\') job->target += L'\\';
  job->id = backup.ref.id;
  // The restore goes on its own thread; the question and the gauge are this
  // window's, and 中止 stops it at its next entry.
  job->ask = [this](const std::wstring& existing) {
    std::optional<Existing> answer;
    ui::CallOnWindowThread(hwnd_, [&] { answer = questions_.AskExisting(hwnd_, existing); });
    return answer;
  };
  Gauge.SetText(L"");
  Gauge.SetProgress(0);
  ::ShowWindow(Gauge.Handle(), SW_SHOW);
  job->progress = [this](size_t done, size_t total) {
    ui::CallOnWindowThread(hwnd_, [&] {
      Gauge.SetMaxValue(static_cast<int32_t>(total));
      Gauge.SetProgress(static_cast<int32_t>(done));
    });
    return !abort_;
  };
  SetBusy(true);
  auto summary = std::make_shared<RestoreSummary>();
  (void)worker_.Start(
      hwnd_,
      [&backup, plan, job, summary] {
        std::string set_aside;
        const std::optional<catalog::Catalog> kept = ReadBackupCatalog(backup.path, set_aside);
        if (kept) job->catalog = &*kept;
        const std::unique_ptr<BackupEntries> entries = OpenBackup(backup);
        *summary = Restore(*entries, *plan, *job);
      },
      [this, &backup, job, summary, path = current_path_] {
        SetBusy(false);
        // The bar stays, full, saying how it ended, until the next restore.
        Gauge.SetProgress(Gauge.MaxValue());
        Gauge.SetText(win::ToWide(summary->cancelled ? "中止" : "完了"));
        ReportRestore(backup, path, job->target, *summary);
      });
}

void RestoreWindow::ReportRestore(const FoundBackup& backup, const std::u16string& path,
                                  const std::wstring& target, const RestoreSummary& summary) {
  std::string text = summary.cancelled ? "復元を中止しました。" : "復元が終わりました。";
  text += "\r\n\r\n復元: " + std::to_string(summary.restored) +
          " 件\r\nスキップ: " + std::to_string(summary.skipped) +
          " 件\r\n失敗: " + std::to_string(summary.failures.size()) + " 件";
  for (size_t i = 0; i < summary.failures.size() && i < kFailuresShown; ++i)
    text += "\r\n" + summary.failures[i];
  if (!summary.kept.empty()) text += "\r\n\r\n両方残したため、次の名前で復元しました:";
  for (size_t i = 0; i < summary.kept.size() && i < kFailuresShown; ++i)
    text += "\r\n" + win::FromWide(summary.kept[i]);
  if (summary.kept.size() > kFailuresShown)
    text += "\r\nほかに " + std::to_string(summary.kept.size() - kFailuresShown) + " 件";
  try {
    LogRestore(program_, RestoreLine(backup.ref.id, {path}, target, summary));
  } catch (const FileError& e) {
    text += "\r\n\r\n" + std::string(e.what());
  }
  LblState.SetCaption(summary.Complete() ? "復元しました。" : "復元できなかったものがあります。");
  dialogs_.ShowMessage(hwnd_, app_.Title(), text);
}

void RestoreWindow::VerifySelected() {
  const std::optional<size_t> selected = ListBackups.Selected();
  if (busy_ || !selected || destination_.backups[*selected].incomplete) {
    LblState.SetCaption("検証するバックアップを選んでください。");
    return;
  }
  const FoundBackup& backup = destination_.backups[*selected];
  SetBusy(true);
  auto summary = std::make_shared<VerifySummary>();
  (void)worker_.Start(
      hwnd_,
      [this, &backup, summary] {
        ReadOnce read;
        *summary = VerifyBackup(backup, read, [this](size_t done, size_t total) {
          // The gauge every 64 files: a call to the window's thread costs
          // more than reading a small file.
          if (done % 64 == 0)
            ui::CallOnWindowThread(hwnd_, [&] {
              Gauge.SetMaxValue(static_cast<int32_t>(total));
              Gauge.SetProgress(static_cast<int32_t>(done));
            });
          return !abort_;
        });
      },
      [this, summary] {
        SetBusy(false);
        ReportVerify(*summary);
      });
}

void RestoreWindow::ReportVerify(const VerifySummary& summary) {
  std::string text = summary.cancelled  ? "検証を中止しました。"
                     : summary.Intact() ? "バックアップは書いたときのままです。"
                                        : "目録と一致しないファイルがあります。";
  if (!summary.no_catalog)
    text += "\r\n\r\n一致: " + std::to_string(summary.intact) +
            " 件\r\n変更: " + std::to_string(summary.changed) +
            " 件\r\n欠落: " + std::to_string(summary.missing) +
            " 件\r\n余分: " + std::to_string(summary.unexpected) +
            " 件\r\n読めない: " + std::to_string(summary.unreadable) + " 件";
  for (size_t i = 0; i < summary.differences.size() && i < kFailuresShown; ++i)
    text += "\r\n" + summary.differences[i];
  if (summary.differences.size() > kFailuresShown)
    text += "\r\nほか " + std::to_string(summary.differences.size() - kFailuresShown) +
            " 件 (すべてログにあります)";
  try {
    LogRestore(program_, VerifyLine(summary));
    for (const std::string& difference : summary.differences)
      AppendErrorFile(program_, "検証", summary.id + ": " + difference);
  } catch (const FileError& e) {
    text += "\r\n\r\n" + std::string(e.what());
  }
  LblState.SetCaption(summary.Intact() ? "検証しました。" : "目録と一致しないファイルがあります。");
  dialogs_.ShowMessage(hwnd_, app_.Title(), text);
}

void RestoreWindow::SetBusy(bool busy) {
  busy_ = busy;
  abort_ = false;
  for (const ui::Control* c :
       {static_cast<const ui::Control*>(&ListBackups), static_cast<const ui::Control*>(&TreeFiles),
        static_cast<const ui::Control*>(&ListVersions), static_cast<const ui::Control*>(&EditPath),
        static_cast<const ui::Control*>(&BtnFrom), static_cast<const ui::Control*>(&BtnVersions),
        static_cast<const ui::Control*>(&BtnRestore),
        static_cast<const ui::Control*>(&BtnRestoreTo), static_cast<const ui::Control*>(&BtnClose),
        static_cast<const ui::Control*>(&BtnVerify)})
    c->SetEnabled(!busy);
  BtnAbort.SetEnabled(busy);
  if (busy) BtnAbort.SetFocus();
}

void RestoreWindow::Layout() {
  if (!BtnFrom.Handle()) return;  // sized while it is being made
  RECT client;
  ::GetClientRect(hwnd_, &client);
  const int dpi = ui::WindowDpi(hwnd_);
  const RECT area = ui::DesignRect(client, dpi);
  // Design units of the smallest window; what more there is goes to the
  // lists, the height half to the upper two and half to the versions.
  const int w = std::max<int>(area.right, kClientWidth);
  const int grow = std::max<int>(area.bottom, kClientHeight) - kClientHeight;
  const int up = grow / 2;
  const auto place = [dpi](const ui::Control& c, RECT design) {
    const RECT r = ui::ScaledRect(design, dpi);
    ::SetWindowPos(c.Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(LblDest, {12, 14, w - 160, 32});
  place(BtnFrom, {w - 152, 8, w - 12, 34});
  place(ListBackups, {12, 40, 412, 262 + up});
  place(TreeFiles, {424, 40, w - 12, 262 + up});
  place(LblPath, {12, 274 + up, 72, 292 + up});
  place(EditPath, {76, 270 + up, w - 140, 294 + up});
  place(BtnVersions, {w - 132, 268 + up, w - 12, 296 + up});
  place(ListVersions, {12, 304 + up, w - 12, 432 + grow});
  place(LblState, {12, 440 + grow, w - 12, 472 + grow});
  place(Gauge, {12, 476 + grow, w - 12, 494 + grow});
  place(BtnRestore, {w - 524, 506 + grow, w - 362, 534 + grow});
  place(BtnRestoreTo, {w - 356, 506 + grow, w - 194, 534 + grow});
  place(BtnAbort, {w - 188, 506 + grow, w - 108, 534 + grow});
  place(BtnClose, {w - 92, 506 + grow, w - 12, 534 + grow});
  place(BtnVerify, {12, 506 + grow, 112, 534 + grow});
}

LRESULT RestoreWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      // Escape, as the dialog manager hands it on.
      if (LOWORD(wp) == IDCANCEL && lp == 0) ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      return 0;
    case WM_DROPFILES: {
      const HDROP drop = reinterpret_cast<HDROP>(wp);
      std::wstring path(32768, L'\0');
      path.resize(::DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
      ::DragFinish(drop);
      if (!busy_ && !path.empty()) {
        EditPath.SetText(path);
        ShowVersions();
      }
      return 0;
    }
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      // No smaller than it opens: every control keeps its place and size.
      const int dpi = ui::WindowDpi(hwnd_);
      RECT frame{0, 0, ui::Scaled(kClientWidth, dpi), ui::Scaled(kClientHeight, dpi)};
      ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
      auto* limits = reinterpret_cast<MINMAXINFO*>(lp);
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    // Moved to a screen of another scale: its font made for it, and laid
    // out again where Windows suggests.
    case WM_DPICHANGED: {
      ui::RemakeFont(hwnd_, font_, ui::kFacePGothic, 12, false, HIWORD(wp));
      ui::Relayout(hwnd_, HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      Layout();
      return 0;
    }
    case WM_CLOSE:
      // A restore under way stops at its next file first.
      if (busy_)
        abort_ = true;
      else
        ::DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      app_.Terminate();
      return 0;
    default:
      return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

}  // namespace yx::restore
