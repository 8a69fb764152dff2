#include "lha/win/archive_command.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <unordered_set>
#include <vector>

#include "lha/core/archive_check.h"
#include "lha/core/archive_reader.h"
#include "lha/core/archive_writer.h"
#include "lha/core/command_line.h"
#include "lha/win/file_streams.h"
#include "lha/win/read_ahead.h"
#include "lha/win/source_walk.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::lha::win {
namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

uint64_t Ticks(const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

uint32_t UnixTime(const FILETIME& t) {
  const uint64_t ticks = Ticks(t);
  if (ticks <= kUnixEpochAsFileTime) return 0;
  const uint64_t seconds = (ticks - kUnixEpochAsFileTime) / 10000000u;
  return seconds > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(seconds);
}

CommandOutcome Fail(int code, std::string_view what, const std::wstring& path = {}) {
  std::string message = "error: " + std::string(what);
  if (!path.empty()) message += ": " + yx::win::FromWide(path);
  return {code, message};
}

// A path as the user knows it, without "\\\\?\\".
std::wstring WithoutPrefix(const std::wstring& path) {
  if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\" + path.substr(7);
  if (path.starts_with(L"\\\\?\\")) return path.substr(4);
  return path;
}

// The new entry whose sum is `sum`: the skipped entries have none.
size_t EntryOfSum(size_t sum, std::span<const size_t> skipped) {
  size_t entry = sum;
  for (const size_t s : skipped)
    if (s <= entry) ++entry;
  return entry;
}

// The entries of the walked files, each made when it is written; a file's
// content comes from the read-ahead, which knows the files by their number
// among the entries that are files.
class WalkedEntries final : public NewEntries {
 public:
  using Taken = std::function<bool(const std::wstring& path, uint64_t size)>;
  WalkedEntries(const SourceList& list, std::vector<uint32_t> items, const Taken& taken)
      : list_(list), items_(std::move(items)), taken_(taken) {
    file_number_.reserve(items_.size());
    for (uint32_t i = 0; i < items_.size(); ++i) {
      file_number_.push_back(static_cast<uint32_t>(files_.size()));
      if (!list_[items_[i]].is_folder) files_.push_back(i);
    }
    read_ahead_.emplace(files_.size(), [this](size_t k) {
      return ReadAhead::File{list_.Path(items_[files_[k]]), list_[items_[files_[k]]].size};
    });
  }
  size_t Count() const override { return items_.size(); }
  bool IsFolder(size_t i) const override { return list_[items_[i]].is_folder; }
  uint64_t ListedSize(size_t i) const override { return list_[items_[i]].size; }
  NewEntry Make(size_t i) const override {
    const SourceList::Item& item = list_[items_[i]];
    NewEntry e;
    SetStoredNames(list_.Stored(items_[i]), e.header);
    if (item.is_folder) e.header.SetMethod(kMethodDirectory);
    e.header.unix_time = UnixTime(item.modification);
    // Read-only, hidden, system, folder, archive: what MS-DOS attributes hold.
    e.header.attributes = static_cast<uint16_t>(item.attributes & 0x37);
    e.header.times =
        WindowsTimes{Ticks(item.creation), Ticks(item.modification), Ticks(item.access)};
    e.size = item.size;
    if (!item.is_folder && Stopped(i)) {
      // Never read: the command ends with nothing written once it is done.
      e.open = [] { return std::unique_ptr<ContentSource>(); };
      return e;
    }
    if (!item.is_folder) e.open = [this, k = file_number_[i]] { return read_ahead_->Take(k); };
    return e;
  }
  // Whether the caller stopped the command.
  [[nodiscard]] bool Cancelled() const noexcept { return cancelled_; }
  [[nodiscard]] std::wstring Path(size_t i) const { return list_.Path(items_[i]); }
  // Why file entry `i` was left out, once the entries are written.
  [[nodiscard]] DWORD ReadError(size_t i) const {
    const DWORD error = read_ahead_->Error(file_number_[i]);
    // A read that failed without a word from the system.
    return error != ERROR_SUCCESS ? error : ERROR_READ_FAULT;
  }
  [[nodiscard]] std::u16string Key(size_t i) const { return KeyOf(list_.Stored(items_[i])); }

 private:
  const SourceList& list_;
  // Tells the caller of file entry `i` unless it stopped already; true once
  // it has.
  bool Stopped(size_t i) const {
    if (!taken_ || cancelled_) return cancelled_;
    const std::lock_guard<std::mutex> one_at_a_time(taken_lock_);
    if (!cancelled_ && !taken_(list_.Path(items_[i]), list_[items_[i]].size)) cancelled_ = true;
    return cancelled_;
  }

  const std::vector<uint32_t> items_;  // entry -> its item in the list
  std::vector<uint32_t> files_;        // file number -> entry
  std::vector<uint32_t> file_number_;  // entry -> file number (a folder's means nothing)
  const Taken& taken_;
  mutable std::mutex taken_lock_;
  mutable std::atomic<bool> cancelled_{false};
  // Last: its thread asks for the files above. Taking is safe from any worker.
  mutable std::optional<ReadAhead> read_ahead_;
};

using ArchiveDamage = std::function<void(const std::wstring& new_archive)>;

CommandOutcome Add(const ArchiveCommand& command, const CommandOptions& how,
                   const ArchiveDamage& damage) {
  const std::wstring archive = yx::win::ToWide(command.archive);
  WalkOptions options;
  options.recurse = command.recurse;
  options.folder_entries = command.folder_entries;
  options.skip = ComparablePath(archive);
  options.exclusions = Exclusions(command.exclusions, command.exclusion_size);
  options.find_next = how.find_next;

  // Everything to add, each stored path once (the first name that reaches it
  // wins). Exact paths: on a case-sensitive folder two names differing only
  // in case are two files, and both are kept. Keys are made only where they
  // are compared.
  SourceList list;
  const std::wstring base = yx::win::ToWide(command.base);
  std::vector<Unreadable> unreadable;
  for (const std::string& name : command.names) {
    std::wstring failed;
    if (CollectSources(base, yx::win::ToWide(name), options, list, unreadable, failed) ==
        WalkStatus::kMissing)
      return Fail(kSourceMissing, "not found", failed);
  }
  const DWORD attributes = yx::win::Attributes(archive);
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  const bool one_walk = command.names.size() == 1;  // which reaches each path once
  std::vector<uint32_t> chosen;
  std::unordered_set<std::u16string> keys;  // of the new entries, as the old ones are compared
  std::unordered_set<std::u16string> seen;
  chosen.reserve(list.Size());
  for (uint32_t i = 0; i < list.Size(); ++i) {
    if (exists || !one_walk) {
      std::u16string key = KeyOf(list.Stored(i));
      if (!one_walk && !seen.insert(key).second) continue;
      if (exists) keys.insert(Folded(std::move(key)));
    }
    chosen.push_back(i);
  }
  seen = {};

  // The entries of the old archive that stay, listed one at a time: an old
  // archive of 100,000 entries costs a small record for each that stays.
  ArchiveFile old;
  std::vector<KeptEntry> keep;
  if (exists) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
      return Fail(kArchiveUnwritable, "archive is a folder", archive);
    if (!old.Open(archive)) return Fail(kArchiveUnwritable, "cannot open archive", archive);
    if (ListKept(
            old, [&](const EntryHeader& h) { return !keys.contains(Folded(KeyOf(h))); }, keep) !=
        ListResult::kOk)
      return Fail(kArchiveDamaged, "not an intact archive", archive);
    keys = {};
  }

  NewArchiveFile out;
  if (!out.Create(archive)) return Fail(kArchiveUnwritable, "cannot create", archive);
  const WalkedEntries entries(list, std::move(chosen), how.entry_taken);
  const auto path_of = [&](size_t entry) {
    return entry < entries.Count() ? entries.Path(entry) : archive;
  };
  const int workers = how.workers > 0 ? how.workers : DefaultWorkers();
  WriteResult written =
      WriteArchive(exists ? &old : nullptr, keep, entries, out, how.parser, workers);
  if (entries.Cancelled()) return Fail(kCancelled, "cancelled");
  const std::wstring culprit = path_of(written.failed_entry);
  switch (written.status) {
    case WriteStatus::kOk:
      break;
    case WriteStatus::kSourceChanged:
      return Fail(kSourceChanged, "changed while read", culprit);
    case WriteStatus::kNameTooLong:
      return Fail(kNameTooLong, "name too long", culprit);
    case WriteStatus::kOldArchiveUnreadable:
      return Fail(kArchiveDamaged, "cannot read archive", archive);
    case WriteStatus::kWriteFailed:
      return Fail(kArchiveUnwritable, "cannot write", out.Path());
    case WriteStatus::kSourceUnreadable:  // never the whole: such a file is skipped
    case WriteStatus::kOutOfMemory:
      return Fail(kInternalError, "out of memory");
  }
  // A file that cannot be read now keeps the entry the old archive has of
  // it: an older copy is better than none. It goes after the new entries.
  std::vector<KeptEntry> kept_for_unreadable;
  if (exists && !written.skipped.empty()) {
    std::unordered_set<std::u16string> unreadable_keys;
    for (const size_t i : written.skipped) unreadable_keys.insert(Folded(entries.Key(i)));
    if (ListKept(
            old, [&](const EntryHeader& h) { return unreadable_keys.contains(Folded(KeyOf(h))); },
            kept_for_unreadable) != ListResult::kOk)
      return Fail(kArchiveDamaged, "cannot read archive", archive);
  }
  std::vector<EntrySum> sums = std::move(written.sums);
  switch (AppendOldEntries(old, kept_for_unreadable, out, sums)) {
    case WriteStatus::kOk:
      break;
    case WriteStatus::kOldArchiveUnreadable:
      return Fail(kArchiveDamaged, "cannot read archive", archive);
    default:
      return Fail(kArchiveUnwritable, "cannot write", out.Path());
  }
  old.Close();
  if (!out.Close()) return Fail(kArchiveUnwritable, "cannot write", out.Path());
  if (damage) damage(out.Path());
  // Read back and decoded before it replaces the old archive: a fault of
  // the compressor or of the file layer fails the command, not the backup
  // found later.
  const CheckResult checked = CheckArchive(
      [&]() -> std::unique_ptr<RandomSource> {
        auto file = std::make_unique<ArchiveFile>();
        if (!file->Open(out.Path())) return nullptr;
        return file;
      },
      keep, sums, workers);
  switch (checked.status) {
    case CheckStatus::kOk:
      break;
    case CheckStatus::kReadError:
      return Fail(kArchiveUnwritable, "cannot read back", out.Path());
    case CheckStatus::kMismatch:
      return Fail(kCheckFailed, "archive differs from its files when read back",
                  path_of(EntryOfSum(checked.failed_entry, written.skipped)));
  }
  if (!out.Commit()) return Fail(kArchiveUnwritable, "cannot replace", archive);
  for (const size_t i : written.skipped)
    unreadable.push_back({"ReadFile", entries.ReadError(i), path_of(i)});
  if (!unreadable.empty()) {
    // Folders that could not be listed and files that could not be read:
    // the archive holds everything else, and the run logs these lines as
    // they are.
    std::string lines;
    for (const Unreadable& u : unreadable)
      lines += yx::win::FaultLine(WithoutPrefix(u.path), u.error) + "\r\n";
    return {kSourceUnreadable, lines};
  }
  return {kOk, std::to_string(entries.Count()) + " entries added, " + std::to_string(keep.size()) +
                   " kept"};
}

}  // namespace

int DefaultWorkers() noexcept {
  DWORD_PTR process = 0, system = 0;
  if (!::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system)) return 1;
  return std::clamp(std::popcount(static_cast<uint64_t>(process)), 1, kMaxWorkers);
}

namespace {

CommandOutcome Run(std::string_view command_line, const CommandOptions& options,
                   const ArchiveDamage& damage) noexcept {
  try {
    ArchiveCommand command;
    switch (ParseCommandLine(command_line, command)) {
      case CommandError::kNone:
        break;
      case CommandError::kUnknownSwitch:
        return Fail(kBadSwitch, "unknown switch");
      case CommandError::kUnknownCommand:
        return Fail(kBadCommand, "unknown command");
      case CommandError::kUnbalancedQuote:
        return Fail(kBadCommand, "unbalanced quote");
      case CommandError::kMissingArchive:
        return Fail(kBadCommand, "no archive named");
      case CommandError::kMissingNames:
        return Fail(kBadCommand, "nothing to add");
    }
    return Add(command, options, damage);
  } catch (const std::bad_alloc&) {
    return Fail(kInternalError, "out of memory");
  } catch (const std::exception& e) {
    return Fail(kInternalError, std::string("internal failure: ") + e.what());
  } catch (...) {
    return Fail(kInternalError, "internal failure");
  }
}

}  // namespace

CommandOutcome RunCommand(std::string_view command_line, const CommandOptions& options) noexcept {
  return Run(command_line, options, nullptr);
}

CommandOutcome RunCommandWithCheckHook(std::string_view command_line, const CommandOptions& options,
                                       const ArchiveDamage& damage) noexcept {
  return Run(command_line, options, damage);
}

}  // namespace yx::lha::win
