#include "restore/command_line.h"

#include "base/file_error.h"
#include "restore/destination.h"
#include "restore/restore_plan.h"
#include "restore/verify.h"
#include "restore/wide_text.h"
#include "win/failure.h"
#include "win/file_system.h"
#include "win/program_arguments.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::restore {
namespace {

struct Arguments {
  std::wstring command;  // "/LIST", "/RESTORE" or "/VERIFY"
  std::wstring list_file, from, to, id;
  std::vector<std::u16string> paths;
  std::vector<std::wstring> ids;  // /VERIFY's
  bool all = false;
  std::optional<Existing> existing;
};

// A folder given as "C:\Restored\" reaches the program as C:\Restored"
// (the backslash escapes the quote); no path holds a quote, so it goes.
std::wstring Folder(std::wstring text) {
  if (!text.empty() && text.back() == L'"') text.pop_back();
  return text;
}

// Why the arguments are not a command, or empty.
std::string Parse(const std::vector<std::wstring>& args, Arguments& a) {
  const std::string usage =
      "使い方: /LIST ファイル名 [/FROM バックアップ先] または /RESTORE 日時 パス... /TO フォルダ "
      "[/OVERWRITE|/SKIP] [/FROM バックアップ先] または /VERIFY 日時...|/ALL [/FROM "
      "バックアップ先]";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring word = win::SwitchWord(args[i]);
    const bool has_value = i + 1 < args.size();
    if (word == L"/VERIFY") {
      if (!a.command.empty()) return usage;
      a.command = word;
      while (i + 1 < args.size() && !args[i + 1].starts_with(L"/")) a.ids.push_back(args[++i]);
    } else if (word == L"/ALL" && a.command == L"/VERIFY") {
      a.all = true;
    } else if (word == L"/LIST" || word == L"/RESTORE") {
      if (!a.command.empty() || !has_value) return usage;
      a.command = word;
      if (word == L"/LIST") {
        a.list_file = args[++i];
        continue;
      }
      a.id = args[++i];
      while (i + 1 < args.size() && !args[i + 1].starts_with(L"/"))
        a.paths.push_back(U16(args[++i]));
    } else if (word == L"/FROM" || word == L"/TO") {
      std::wstring& value = word == L"/FROM" ? a.from : a.to;
      if (!value.empty() || !has_value) return usage;
      value = Folder(args[++i]);
    } else if (word == L"/OVERWRITE" || word == L"/SKIP") {
      if (a.existing) return "/OVERWRITE と /SKIP は一緒に使えません。";
      a.existing = word == L"/SKIP" ? Existing::kSkip : Existing::kOverwrite;
    } else {
      return "引数 " + win::FromWide(args[i]) + " が違います。";
    }
  }
  if (a.command == L"/LIST" && a.to.empty() && !a.existing) return {};
  if (a.command == L"/RESTORE" && !a.paths.empty() && !a.to.empty()) return {};
  if (a.command == L"/VERIFY" && a.to.empty() && !a.existing && a.all == a.ids.empty()) return {};
  return usage;
}

Destination Scan(const Program& program, const Arguments& a) {
  const std::wstring root = a.from.empty() ? program.Destination() : a.from;
  if (root.empty()) {
    Destination none;
    none.fault =
        "設定ファイルにバックアップ先がありません。/FROM でバックアップ先を指定してください。";
    return none;
  }
  return ScanDestination(root, program.LogDir());
}

// UTF-16 with a byte-order mark: the names may be beyond Shift-JIS.
std::string WriteList(const Destination& d, const std::wstring& file) {
  std::wstring text = L"\xFEFF";
  for (const FoundBackup& b : d.backups) {
    if (b.incomplete) continue;
    text += win::ToWide(b.ref.id) + L"\t" + win::ToWide(KindName(b.ref.kind)) + L"\t" + b.path;
    // The files and bytes as the catalog counts them; empty without one.
    if (const std::optional<catalog::Run>& run = b.catalog.run)
      text += L"\t" + std::to_wstring(run->files) + L"\t" + std::to_wstring(run->bytes);
    else
      text += L"\t\t";
    text += L"\r\n";
  }
  win::UniqueFile out(::CreateFileW(win::ToLongPath(win::FullPath(file)).c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD put = 0;
  const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (!out || !::WriteFile(out.get(), text.data(), bytes, &put, nullptr) || put != bytes) {
    const win::Failure failure = win::Failure::Last(out ? "WriteFile" : "CreateFileW");
    return "ファイル " + win::FromWide(file) + " に書き込めません: " + failure.Reason();
  }
  return {};
}

// The reasons of what was not restored, or empty.
std::vector<std::string> RestoreFromBackup(const Program& program, const Destination& d,
                                           const Arguments& a) {
  const std::string given = win::FromWide(a.id);
  const FoundBackup* backup = d.Find(given);
  if (!backup) return {"バックアップ " + given + " がありません。"};
  // The backup's own id, however it was named, for the log and kept copies.
  const std::string& id = backup->ref.id;
  const std::unique_ptr<BackupEntries> entries = OpenBackup(*backup);
  std::vector<StoredEntry> stored;
  std::string unreadable;
  (void)entries->List(stored, unreadable);
  std::vector<std::u16string> missing;
  const std::vector<PlannedEntry> plan = PlanRestore(stored, a.paths, missing);
  RestoreJob job;
  job.target = win::FullPath(a.to);
  if (job.target.back() != L'\\') job.target += L'\\';
  job.id = id;
  job.existing = a.existing.value_or(Existing::kKeepBoth);
  std::string set_aside;
  const std::optional<catalog::Catalog> kept = ReadBackupCatalog(backup->path, set_aside);
  if (kept) job.catalog = &*kept;
  // Nothing to restore makes no target folder.
  RestoreSummary summary = plan.empty() ? RestoreSummary{} : Restore(*entries, plan, job);
  // What the backup holds and cannot be read or given back (a damaged
  // archive's rest, a name that leads out of it) is left out too.
  if (!unreadable.empty()) summary.failures.insert(summary.failures.begin(), unreadable);
  std::vector<std::string> reasons;
  for (const std::u16string& path : missing)
    reasons.push_back(win::FromWide(Wide(path)) + " はバックアップ " + id + " にありません。");
  for (std::string& failure : summary.failures) reasons.push_back(std::move(failure));
  try {
    LogRestore(program, RestoreLine(id, a.paths, job.target, summary));
  } catch (const FileError& e) {
    reasons.push_back(e.what());
  }
  return reasons;
}

// The differences of every backup verified, each named.
std::vector<std::string> VerifyBackups(const Program& program, const Destination& d,
                                       const Arguments& a) {
  std::vector<const FoundBackup*> chosen;
  std::vector<std::string> reasons;
  for (const FoundBackup& b : d.backups)
    if (a.all && !b.incomplete) chosen.push_back(&b);
  for (const std::wstring& wide_id : a.ids) {
    const std::string id = win::FromWide(wide_id);
    if (const FoundBackup* b = d.Find(id))
      chosen.push_back(b);
    else
      reasons.push_back("バックアップ " + id + " がありません。");
  }
  ReadOnce read;
  for (const FoundBackup* b : chosen) {
    VerifySummary summary = VerifyBackup(*b, read);
    for (std::string& difference : summary.differences)
      reasons.push_back(b->ref.id + ": " + std::move(difference));
    try {
      LogRestore(program, VerifyLine(summary));
    } catch (const FileError& e) {
      reasons.push_back(e.what());
    }
  }
  return reasons;
}

}  // namespace

int RunCommandLine(const Program& program, const std::vector<std::wstring>& args) {
  Arguments a;
  const std::string command =
      args.empty() ? std::string() : win::FromWide(win::SwitchWord(args[0]));
  if (const std::string fault = Parse(args, a); !fault.empty()) {
    AppendErrorFile(program, command, fault);
    return kBadArguments;
  }
  const Destination d = Scan(program, a);
  std::vector<std::string> reasons;
  if (!d.fault.empty())
    reasons.push_back(d.fault);
  else if (a.command == L"/LIST")
    reasons.push_back(WriteList(d, a.list_file));
  else if (a.command == L"/VERIFY")
    reasons = VerifyBackups(program, d, a);
  else
    reasons = RestoreFromBackup(program, d, a);
  // A catalog set aside is said, and the backup was listed without it.
  if (a.command == L"/LIST")
    for (const FoundBackup& b : d.backups)
      if (!b.catalog.set_aside.empty()) AppendErrorFile(program, command, b.catalog.set_aside);
  // So is a link where a backup goes, which is neither listed nor verified.
  if (a.command == L"/LIST" || a.command == L"/VERIFY")
    for (const std::string& line : d.left_out) AppendErrorFile(program, command, line);
  int status = kDone;
  for (const std::string& reason : reasons) {
    if (reason.empty()) continue;
    AppendErrorFile(program, command, reason);
    status = kNotRestored;
  }
  return status;
}

}  // namespace yx::restore
