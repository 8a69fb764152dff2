// Drives the pieces the catalogs change, one measurement per call, for
// bench/catalog-bench.sh; each prints one line of key=value.
//
//   catalog_bench_driver copy TARGET SOURCE [EARLIER] [--catalog]
//       a copy of SOURCE into TARGET\<name>\ as a run makes it, linking to
//       EARLIER (a backup's folder) when given; with --catalog it keeps and
//       writes the catalog (links then trust EARLIER's), without it copies
//       and links as before catalogs
//   catalog_bench_driver list DESTINATION PATH
//       the restore's list (every backup's size and files) and the versions
//       of PATH, from the catalogs; peak memory
//   catalog_bench_driver walk DESTINATION N
//       the list as it was before catalogs: N backups walked
//   catalog_bench_driver verify BACKUP | readloop BACKUP | hashloop BACKUP
//       one copy backup verified, its files read in a bare loop, or read
//       and hashed as the verification does it, outside it
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "backup/catalog_file.h"
#include "backup/file_hasher.h"
#include "backup/tree_copier.h"
#include "process_clock.h"
#include "restore/copy_backup.h"
#include "restore/destination.h"
#include "restore/verify.h"
#include "win/file_system.h"
#include "win/tree_walk.h"

namespace {

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

int Copy(const std::wstring& target, const std::wstring& source, const std::wstring& earlier,
         bool keep) {
  yx::ProgressState progress;
  yx::backup::StateSink sink(progress);
  yx::backup::TreeCopier copier(sink, [] { return ::GetTickCount64(); });
  const size_t cut = source.find_last_of(L'\\', source.size() - 2);
  const std::wstring name = source.substr(cut + 1);
  yx::catalog::Catalog kept;
  yx::backup::ReadCatalog base;
  const double start = yx::bench::WallSeconds();
  if (!earlier.empty()) {
    copier.UseLinks();
    if (keep) base = yx::backup::ReadCatalogFile(yx::backup::CatalogFileOf(earlier));
  }
  bool ok = yx::win::CreateFolderTree(target + name);
  if (keep) {
    kept.entries.push_back({.path = {name.begin(), name.end() - 1}, .folder = true, .hash = {}});
    copier.KeepCatalog({&kept.entries, kept.entries.back().path,
                        base.state == yx::backup::CatalogState::kRead ? &base.catalog : nullptr});
  }
  ok = ok && copier.CopyTree(target + name, source, {}, earlier.empty() ? L"" : earlier + name);
  if (keep)
    ok = ok && yx::backup::WriteRunCatalog(target, kept, yx::catalog::Outcome::kDone,
                                           copier.Tally().copied_bytes, [](std::string_view) {});
  const double end = yx::bench::WallSeconds();
  std::printf("result=%s linked=%llu copied=%llu s=%.3f\n", ok ? "ok" : "failed",
              static_cast<unsigned long long>(copier.Tally().linked),
              static_cast<unsigned long long>(copier.Tally().copied), end - start);
  return ok ? 0 : 1;
}

int List(const std::wstring& root, const std::wstring& path) {
  const double start = yx::bench::WallSeconds();
  const yx::restore::Destination d = yx::restore::ScanDestination(root, L"");
  uint64_t files = 0, listed = 0;
  for (const yx::restore::FoundBackup& b : d.backups)
    if (b.catalog.run) files += b.catalog.run->files, ++listed;
  const double listed_at = yx::bench::WallSeconds();
  size_t versions = 0;
  const std::u16string wanted(path.begin(), path.end());
  for (const yx::restore::FoundBackup& b : d.backups) {
    std::optional<yx::restore::StoredEntry> found;
    std::string set_aside;
    if (yx::restore::FindInCatalog(b.path, wanted, found, set_aside) && found) ++versions;
  }
  const double end = yx::bench::WallSeconds();
  std::printf(
      "backups=%zu catalogued=%llu files=%llu list_s=%.3f versions=%zu versions_s=%.3f "
      "peak_mb=%.1f\n",
      d.backups.size(), static_cast<unsigned long long>(listed),
      static_cast<unsigned long long>(files), listed_at - start, versions, end - listed_at,
      yx::bench::PeakMegabytes());
  return 0;
}

int Walk(const std::wstring& root, size_t most) {
  const double start = yx::bench::WallSeconds();
  const yx::restore::Destination d = yx::restore::ScanDestination(root, L"");
  size_t walked = 0, entries = 0;
  for (const yx::restore::FoundBackup& b : d.backups) {
    if (walked == most) break;
    std::vector<yx::restore::StoredEntry> stored;
    std::string unreadable;
    (void)yx::restore::CopyBackup(b.path).List(stored, unreadable);
    entries += stored.size();
    ++walked;
  }
  const double end = yx::bench::WallSeconds();
  std::printf("walked=%zu entries=%zu s=%.3f per_backup_s=%.3f\n", walked, entries, end - start,
              walked ? (end - start) / static_cast<double>(walked) : 0.0);
  return 0;
}

int Verify(const std::wstring& backup) {
  yx::restore::FoundBackup found;
  found.path = backup;
  found.ref.kind = yx::restore::BackupKind::kCopy;
  yx::restore::ReadOnce read;
  const double start = yx::bench::WallSeconds();
  const yx::restore::VerifySummary s = yx::restore::VerifyBackup(found, read);
  const double end = yx::bench::WallSeconds();
  std::printf("intact=%zu differ=%zu s=%.3f\n", s.intact,
              s.changed + s.missing + s.unexpected + s.unreadable, end - start);
  return s.Intact() ? 0 : 1;
}

int ReadLoop(const std::wstring& backup, bool hash) {
  yx::backup::FileHasher hasher;
  std::vector<char> buffer(256 * 1024);
  size_t files = 0;
  const double start = yx::bench::WallSeconds();
  yx::win::TreeWalk walk(backup);
  for (yx::win::TreeWalk::Step step; (step = walk.Next()) != yx::win::TreeWalk::Step::kEnd;) {
    if (step != yx::win::TreeWalk::Step::kEntry) continue;
    if (walk.Current().IsFolder()) {
      walk.Descend();
      continue;
    }
    if (hash) {
      yx::backup::HashedFile hashed;
      if (hasher.Hash(walk.CurrentPath(), hashed) == 0) ++files;
      continue;
    }
    HANDLE file =
        ::CreateFileW(yx::win::ToLongPath(walk.CurrentPath()).c_str(), GENERIC_READ,
                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    for (DWORD got = 0;
         ::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
         got > 0;) {
    }
    ::CloseHandle(file);
    ++files;
  }
  const double end = yx::bench::WallSeconds();
  std::printf("files=%zu s=%.3f\n", files, end - start);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring what = argc > 1 ? argv[1] : L"";
  if (what == L"copy" && argc >= 4) {
    const bool keep = std::wstring(argv[argc - 1]) == L"--catalog";
    const int plain = argc - (keep ? 1 : 0);
    return Copy(WithBackslash(argv[2]), WithBackslash(argv[3]),
                plain > 4 ? WithBackslash(argv[4]) : L"", keep);
  }
  if (what == L"list" && argc == 4) return List(argv[2], argv[3]);
  if (what == L"walk" && argc == 4) return Walk(argv[2], std::wcstoul(argv[3], nullptr, 10));
  if (what == L"verify" && argc == 3) return Verify(WithBackslash(argv[2]));
  if (what == L"readloop" && argc == 3) return ReadLoop(WithBackslash(argv[2]), false);
  if (what == L"hashloop" && argc == 3) return ReadLoop(WithBackslash(argv[2]), true);
  std::fprintf(stderr, "usage: see the comment at the top of catalog_bench_driver.cpp\n");
  return 2;
}
