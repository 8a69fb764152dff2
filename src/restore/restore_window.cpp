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
#include "win/pause_point.h"
#include "win/text.h"

namespace yx::restore {
namespace {

constexpr wchar_t kClassName[] = L"YorudexRestore";
constexpr int kClientWidth = 760;
constexpr int kClientHeight = 544;
constexpr size_t kFailuresShown = 10;
constexpr UINT_PTR kGaugeTimer = 1;
constexpr UINT kGaugeEveryMs = 100;

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

// A backup's row of the list: from its catalog, or from its entries once
// read (`read`) when it has none.
std::vector<std::wstring> RowOf(const FoundBackup& b, const std::vector<StoredEntry>* read) {
  std::vector<std::wstring> row{win::ToWide(ShownTime(b.ref.id)),
                                b.ref.kind == BackupKind::kCopy ? L"コピー" : L"LZH"};
  const std::wstring outcome = win::ToWide(OutcomeText(b.run ? &*b.run : nullptr));
  if (b.incomplete) {
    row.insert(row.end(), {L"", L"", win::ToWide("作成中")});
  } else if (b.catalog.run) {
    row.insert(row.end(),
               {SizeText(b.catalog.run->bytes), CountText(b.catalog.run->files), outcome});
  } else if (read) {
    uint64_t size = 0, files = 0;
    for (const StoredEntry& e : *read)
      if (!e.folder) size += e.size, ++files;
    row.insert(row.end(), {SizeText(size), CountText(files), outcome});
  } else {
    // Counted only when opened: a walk of every backup would keep the
    // list empty for minutes.
    row.insert(row.end(), {win::ToWide("目録なし"), L"", outcome});
  }
  return row;
}

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
    const size_t backup = version_backups_[*row];
    asked_path_ = versions_path_;
    if (ListBackups.Selected() == backup)
      SelectAskedPath();
    else
      ListBackups.Select(backup);
    current_backup_ = backup;
    current_path_ = versions_path_;
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
  // At rest there is no progress to show.
  ::ShowWindow(Gauge.Handle(), SW_HIDE);
  app_.ShowTaskbarEntry();
  // Shown and loaded from the window's loop, each step a message of its
  // own: the window answers between them.
  ui::PostToWindowThread(hwnd_, [this] {
    if (!closing_) ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  });
  ui::PostToWindowThread(hwnd_, [this] {
    opening_ = false;
    if (!CloseIfAsked()) LoadDestination(program_.Destination());
  });
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

RestoreWindow::ShownPtr RestoreWindow::ReadShown(const FoundBackup& b) {
  win::PausePoint("restore-read-backup");
  auto shown = std::make_shared<Shown>();
  std::optional<catalog::Catalog> kept;
  if (b.catalog.run) kept = ReadBackupCatalog(b.path, shown->unreadable);
  if (kept)
    shown->entries = AsStored(*kept);
  else
    (void)OpenBackup(b)->List(shown->entries, shown->unreadable);
  shown->tree = TreeOf(shown->entries);
  return shown;
}

void RestoreWindow::LoadDestination(const std::wstring& root) {
  if (busy_) return;
  destination_ = std::make_shared<const Destination>();
  shown_.clear();
  current_backup_.reset();
  tree_backup_.reset();
  current_path_.clear();
  asked_path_.clear();
  version_backups_.clear();
  ListBackups.SetRows({});
  ListVersions.SetRows({});
  TreeFiles.Show(nullptr);
  // On its own thread: the catalogs give the sizes and the files; a backup
  // without one is walked only when it is opened. 中止 stops it where it is.
  struct Loaded {
    std::shared_ptr<Destination> destination = std::make_shared<Destination>();
    std::vector<std::vector<std::wstring>> rows;
  };
  auto loaded = std::make_shared<Loaded>();
  SetBusy(true);
  (void)worker_.Start(
      hwnd_,
      [this, loaded, root, log_dir = program_.LogDir()] {
        Destination& d = *loaded->destination;
        if (root.empty())
          d.fault =
              "設定ファイルにバックアップ先がありません。「バックアップ先」で選んでください。";
        else
          d = ScanDestination(root, log_dir, SystemFileAccess(), &abort_);
        for (const FoundBackup& b : d.backups) loaded->rows.push_back(RowOf(b, nullptr));
      },
      [this, loaded] {
        const bool stopped = abort_;
        SetBusy(false);
        if (CloseIfAsked()) return;
        destination_ = loaded->destination;
        shown_.assign(destination_->backups.size(), nullptr);
        ShowDestination(std::move(loaded->rows), stopped);
        ListBackups.SetFocus();
      });
}

void RestoreWindow::ShowDestination(std::vector<std::vector<std::wstring>> rows, bool stopped) {
  LblDest.SetCaption("バックアップ先: " + win::FromWide(destination_->root));
  // One line below the list, kept while a backup that reads whole is shown:
  // a link left out of the destination first (what it leads to is not this
  // destination's, a sign of tampering), else the last catalog set aside.
  destination_note_.clear();
  for (const FoundBackup& b : destination_->backups)
    if (!b.catalog.set_aside.empty()) destination_note_ = b.catalog.set_aside;
  if (!destination_->left_out.empty()) destination_note_ = destination_->left_out.front();
  if (stopped) destination_note_ = "一覧を中止しました。";
  if (!destination_->fault.empty()) destination_note_ = destination_->fault;
  const bool any = !rows.empty();
  ListBackups.SetRows(std::move(rows));
  LblState.SetCaption(destination_note_);
  if (any) ListBackups.Select(0);
}

void RestoreWindow::ShowBackup() {
  current_backup_ = ListBackups.Selected();
  if (!current_backup_) return;
  const FoundBackup& b = destination_->backups[*current_backup_];
  if (b.incomplete) {
    TreeFiles.Show(nullptr);
    tree_backup_.reset();
    LblState.SetCaption(
        "このバックアップは作成中か、作成の途中で止まったものです。復元には使えません。");
    return;
  }
  const ShownPtr& shown = shown_[*current_backup_];
  if (!shown) {
    // Read on the reader, and shown once it is in, if still selected.
    TreeFiles.Show(nullptr);
    tree_backup_.reset();
    ReadSelected();
    return;
  }
  TreeFiles.Show(std::shared_ptr<const BackupTree>(shown, &shown->tree));
  tree_backup_ = current_backup_;
  LblState.SetCaption(shown->unreadable.empty() ? destination_note_ : shown->unreadable);
  SelectAskedPath();
}

void RestoreWindow::ReadSelected() {
  if (reader_.Busy() || !current_backup_ || shown_[*current_backup_] ||
      destination_->backups[*current_backup_].incomplete)
    return;
  const size_t backup = *current_backup_;
  auto read = std::make_shared<ShownPtr>();
  (void)reader_.Start(
      hwnd_,
      [read, destination = destination_, backup] {
        *read = ReadShown(destination->backups[backup]);
      },
      [this, read, destination = destination_, backup] {
        if (CloseIfAsked()) return;
        // Of a destination since left: nothing of it is shown.
        if (destination == destination_ && !shown_[backup]) {
          shown_[backup] = *read;
          ListBackups.SetRow(backup, RowOf(destination->backups[backup], &(*read)->entries));
        }
        if (current_backup_ == backup && destination == destination_)
          ShowBackup();
        else
          ReadSelected();
      });
}

void RestoreWindow::SelectAskedPath() {
  if (asked_path_.empty() || !tree_backup_ || tree_backup_ != current_backup_) return;
  (void)TreeFiles.Select(asked_path_);
  asked_path_.clear();
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
    std::vector<ShownPtr> read;
  };
  auto found = std::make_shared<Found>();
  found->per_backup.resize(shown_.size());
  found->read = shown_;
  // Back where the user was once the versions are in: Enter in the path.
  const HWND focus = ::GetFocus();
  SetBusy(true);
  (void)worker_.Start(
      hwnd_,
      [found, path, destination = destination_] {
        for (size_t i = 0; i < found->per_backup.size(); ++i) {
          const FoundBackup& b = destination->backups[i];
          if (b.incomplete) continue;
          // One path looked up in each catalog, nothing kept of the rest.
          std::string set_aside;
          ShownPtr& shown = found->read[i];
          if (!shown && b.catalog.run &&
              FindInCatalog(b.path, path, found->per_backup[i], set_aside))
            continue;
          if (!shown) shown = ReadShown(b);
          for (const StoredEntry& e : shown->entries)
            if (SamePath(e.path, path)) found->per_backup[i] = e;
        }
      },
      [this, found, path, focus] {
        for (size_t i = 0; i < found->read.size(); ++i)
          if (!shown_[i]) shown_[i] = std::move(found->read[i]);
        SetBusy(false);
        if (CloseIfAsked()) return;
        if (focus != nullptr) ::SetFocus(focus);
        ListVersionsOf(path, found->per_backup);
      });
}

void RestoreWindow::ListVersionsOf(const std::u16string& path,
                                   const std::vector<std::optional<StoredEntry>>& per_backup) {
  std::vector<std::vector<std::wstring>> rows;
  version_backups_.clear();
  for (const VersionRow& v : Versions(per_backup)) {
    const BackupRef& ref = destination_->backups[v.backup].ref;
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
      destination_->backups[*current_backup_].incomplete) {
    LblState.SetCaption("復元するファイルかフォルダを選んでください。");
    return;
  }
  if (!folder) folder = program_.OriginalFolder(current_path_);
  if (!folder)
    folder = questions_.PickFolder(
        hwnd_, "元の場所が設定にありません。復元先のフォルダを選んでください。");
  if (!folder) return;
  auto job = std::make_shared<RestoreJob>();
  job->target = *folder;
  if (job->target.empty() || job->target.back() != L'\\') job->target += L'\\';
  const FoundBackup& backup = destination_->backups[*current_backup_];
  job->id = backup.ref.id;
  // The restore goes on its own thread; the question is this window's, the
  // gauge follows it on a timer, and 中止 stops it at its next entry.
  job->ask = [this](const std::wstring& existing) {
    std::optional<Existing> answer;
    ui::CallOnWindowThread(hwnd_, [&] { answer = questions_.AskExisting(hwnd_, existing); });
    return answer;
  };
  job->progress = [this](size_t done, size_t total) {
    progress_.total = static_cast<int32_t>(total);
    progress_.files_done = static_cast<int32_t>(done);
    return !abort_;
  };
  StartGauge();
  SetBusy(true);
  auto summary = std::make_shared<RestoreSummary>();
  (void)worker_.Start(
      hwnd_,
      [&backup, job, summary, known = shown_[*current_backup_], path = current_path_,
       destination = destination_] {
        // The backup's entries as browsed, or read here when they are not in yet.
        const ShownPtr shown = known ? known : ReadShown(backup);
        std::vector<std::u16string> missing;
        const std::vector<PlannedEntry> plan = PlanRestore(shown->entries, {path}, missing);
        std::string set_aside;
        const std::optional<catalog::Catalog> kept = ReadBackupCatalog(backup.path, set_aside);
        if (kept) job->catalog = &*kept;
        const std::unique_ptr<BackupEntries> entries = OpenBackup(backup);
        *summary = Restore(*entries, plan, *job);
      },
      [this, &backup, job, summary, path = current_path_, destination = destination_] {
        SetBusy(false);
        EndGauge(summary->cancelled);
        ReportRestore(backup, path, job->target, *summary);
        (void)CloseIfAsked();
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
  // Closed meanwhile: the log has the line, nobody is there for the box.
  if (!closing_) dialogs_.ShowMessage(hwnd_, app_.Title(), text);
}

void RestoreWindow::VerifySelected() {
  const std::optional<size_t> selected = ListBackups.Selected();
  if (busy_ || !selected || destination_->backups[*selected].incomplete) {
    LblState.SetCaption("検証するバックアップを選んでください。");
    return;
  }
  const FoundBackup& backup = destination_->backups[*selected];
  StartGauge();
  SetBusy(true);
  auto summary = std::make_shared<VerifySummary>();
  (void)worker_.Start(
      hwnd_,
      [this, &backup, summary, destination = destination_] {
        ReadOnce read;
        *summary = VerifyBackup(backup, read, [this](size_t done, size_t total) {
          progress_.total = static_cast<int32_t>(total);
          progress_.files_done = static_cast<int32_t>(done);
          return !abort_;
        });
      },
      [this, summary, destination = destination_] {
        SetBusy(false);
        EndGauge(summary->cancelled);
        ReportVerify(*summary);
        (void)CloseIfAsked();
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
  if (!closing_) dialogs_.ShowMessage(hwnd_, app_.Title(), text);
}

void RestoreWindow::StartGauge() {
  progress_.Begin();
  Gauge.SetText(L"");
  Gauge.SetProgress(0);
  ::ShowWindow(Gauge.Handle(), SW_SHOW);
  ::SetTimer(hwnd_, kGaugeTimer, kGaugeEveryMs, nullptr);
}

void RestoreWindow::EndGauge(bool cancelled) {
  ::KillTimer(hwnd_, kGaugeTimer);
  // The bar stays, full, saying how it ended, until the next job.
  Gauge.SetMaxValue(std::max<int32_t>(progress_.total, 1));
  Gauge.SetProgress(Gauge.MaxValue());
  Gauge.SetText(win::ToWide(cancelled ? "中止" : "完了"));
}

bool RestoreWindow::CloseIfAsked() {
  if (!closing_) return false;
  if (!worker_.Busy() && !reader_.Busy()) ::DestroyWindow(hwnd_);
  return true;
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
  // Shown, the window is told its size again: the places stand.
  if (laid_out_ && laid_out_->right == client.right && laid_out_->bottom == client.bottom &&
      laid_out_dpi_ == dpi)
    return;
  laid_out_ = client;
  laid_out_dpi_ = dpi;
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
    case WM_TIMER:
      if (wp == kGaugeTimer) {
        Gauge.SetMaxValue(std::max<int32_t>(progress_.total, 0));
        Gauge.SetProgress(progress_.files_done);
      }
      return 0;
    case WM_CLOSE:
      // A job under way stops at its next step first, out of sight; the
      // window goes once it has ended (a restore's line logged).
      if (Busy()) {
        abort_ = true;
        closing_ = true;
        ::ShowWindow(hwnd_, SW_HIDE);
      } else {
        ::DestroyWindow(hwnd_);
      }
      return 0;
    case WM_DESTROY:
      app_.Terminate();
      return 0;
    default:
      return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

}  // namespace yx::restore
