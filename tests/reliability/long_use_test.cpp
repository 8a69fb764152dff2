// Long use: runs with both deletion rules on, over simulated days, against a
// destination holding earlier backups: 200 a day apart (across the month,
// year and leap-day ends) against two years of backups, each the
// window-free run in this process; and 60 runs of the settings
// window in one process, to see that handles and memory do not grow.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <set>

#include "reliability/civil_days.h"
#include "reliability/case_report.h"
#include "reliability/run_lines.h"
#include "reliability/tree_snapshot.h"
#include "reliability/run_texts.h"
#include "support/form_fixture.h"
#include "support/run_fixture.h"
#include "win/clock.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::test {
namespace {

constexpr int kRuns = 200;
// Runs of the window in one process: a leak of one object per run shows as
// 50 more after the last than after the tenth.
constexpr int kWindowRuns = 60;
constexpr int kSelectiveDays = 14;  // DEL_VAL, day mode, Sunday not flagged
constexpr int kForcedDays = 60;     // KILL_VAL, day mode
constexpr char kDeleted[] = " を削除しました";
// After a gap between runs the newest backup may have expired; it stays.
constexpr char kKeptNewest[] = " は最新のバックアップのため残しました";

std::string Two(unsigned n) { return std::string(1, char('0' + n / 10 % 10)) + char('0' + n % 10); }

// "yymm\dd" of a day, and the forms the log and the data files want.
std::string DayFolder(long day) {
  const Civil d = CivilFromDays(day);
  return Two(unsigned(d.year % 100)) + Two(unsigned(d.month)) + "\\" + Two(unsigned(d.day));
}
std::string Stamp(long day) {
  const Civil d = CivilFromDays(day);
  return Two(unsigned(d.year % 100)) + "/" + Two(unsigned(d.month)) + "/" + Two(unsigned(d.day)) +
         " 12:00:00";
}
std::string TestNow(long day) {
  const Civil d = CivilFromDays(day);
  return std::to_string(d.year) + "-" + Two(unsigned(d.month)) + "-" + Two(unsigned(d.day)) +
         " 12:00:00";
}

// What the two rules keep after a run on `run`: a backup of day d goes when
// d is on or before the forced cut-off, or on or before the selective
// cut-off and not a Sunday.
bool Kept(long d, long run) {
  if (d <= run - kForcedDays) return false;
  return !(d <= run - kSelectiveDays && WeekdayMonday0(d) != 6);
}

class LongUse : public RunTest {
 protected:
  // Runs once on each of `runs` (days, ascending) at 12:00, after filling
  // the destination with a backup for each of the `prefilled` days before
  // the first run, and checks the logs and what is kept.
  void RunOn(const std::vector<long>& runs, int prefilled);
};

void LongUse::RunOn(const std::vector<long>& runs, int prefilled) {
  const long first = runs.front();
  const long last = runs.back();
  std::set<long> made;
  for (long d = first - prefilled; d < first; ++d) {
    dir.WriteFile(L"dest\\" + win::ToWide(DayFolder(d)) + L"\\1200\\Work\\data.txt", TestNow(d));
    made.insert(d);
  }
  dir.WriteFile(L"src\\Work\\a.txt", "alpha");
  dir.WriteFile(L"src\\Work\\sub\\b.txt", "beta");
  settings.del_use = true;
  settings.del_value = kSelectiveDays;
  settings.del_days[6] = false;
  settings.kill_use = true;
  settings.kill_value = kForcedDays;
  const Tree source = Snapshot(dir.Path() + L"src\\Work");

  std::map<std::string, std::string> month_logs;  // "yymm" -> the month's runs
  int bad_runs = 0;
  for (const long run : runs) {
    const Civil d = CivilFromDays(run);
    now = EncodeDateTime(d.year, d.month, d.day, 12, 0);
    log = {};
    month_logs[DayFolder(run).substr(0, 4)] += Run();
    if (outcome != backup::RunOutcome::kDone) {
      ADD_FAILURE() << "run of " << TestNow(run) << " did not succeed:\n" << log.Text();
      if (++bad_runs > 3) return;
    }
    made.insert(run);
  }
  EXPECT_TRUE(SameTree(source, Snapshot(dir.Path() + L"src\\Work")));

  // The logs: one file per month, that month's runs in order.
  std::map<std::string, int> logged;  // deleted path (relative) -> times logged
  std::set<std::string> by_last_run;
  const std::string prefix = "\t" + Dest() + "\\";
  auto run = runs.begin();
  while (run != runs.end()) {
    const std::string month = DayFolder(*run).substr(0, 4);
    const std::vector<std::string> lines = SplitLines(month_logs[month]);
    size_t at = 0;
    for (; run != runs.end() && DayFolder(*run).starts_with(month); ++run) {
      ExpectedRun expected{Stamp(*run), {}};
      for (size_t i = at + 1; i < lines.size() && lines[i].starts_with(prefix) &&
                              (lines[i].ends_with(kDeleted) || lines[i].ends_with(kKeptNewest));
           ++i) {
        expected.lines.push_back(lines[i]);
        if (!lines[i].ends_with(kDeleted)) continue;
        const std::string path =
            lines[i].substr(prefix.size(), lines[i].size() - prefix.size() - std::strlen(kDeleted));
        ++logged[path];
        if (*run == last) by_last_run.insert(path);
      }
      expected.lines.push_back(kDone);
      ASSERT_TRUE(MatchRun(lines, at, expected)) << month << ":\n" << month_logs[month];
    }
    EXPECT_EQ(at, lines.size()) << "lines after the month's last run in " << month;
  }

  // The destination: exactly the days the rules keep, each with its file.
  const Tree dest = Snapshot(dir.Path() + L"dest");
  // The last run sweeps before it backs up: the newest backup then is the one
  // before it, which stays even when expired.
  const long newest_at_last_sweep = *std::prev(made.find(last));
  for (const long d : made) {
    const std::string day = DayFolder(d);
    const std::wstring file =
        win::ToWide(day) + L"\\1200\\Work\\" + (d < first ? L"data.txt" : L"a.txt");
    const bool there = dest.contains(file);
    EXPECT_EQ(there, Kept(d, last) || d == newest_at_last_sweep) << day;
    if (there && d < first) {
      EXPECT_EQ(*dest.at(file).bytes, TestNow(d));
    }
    // A day goes with a line of its own or with its month's line (a month
    // may go whole on a later run, after some of its days went singly).
    if (!there) {
      EXPECT_GE(logged.count(day) + logged.count(day.substr(0, 4)), 1u)
          << day << " gone, but not logged";
    }
  }
  for (const auto& [path, times] : logged) {
    EXPECT_EQ(times, 1) << path << " logged " << times << " times";
    EXPECT_FALSE(dest.contains(win::ToWide(path))) << path << " logged as deleted but still there";
  }
  // Nothing but dated folders, and month folders only while they hold days
  // or were emptied by the last run (a sweep removes a month it empties on a
  // later run).
  for (const auto& [path, entry] : dest) {
    if (path.size() != 4) continue;
    bool holds = false;
    for (const auto& [other, e] : dest)
      holds |= other.size() > 4 && other.starts_with(path + L"\\");
    if (holds) continue;
    const std::string month = win::FromWide(path);
    EXPECT_TRUE(std::any_of(by_last_run.begin(), by_last_run.end(),
                            [&](const std::string& p) { return p.starts_with(month + "\\"); }))
        << "empty month folder " << month << " was not emptied by the last run";
  }
  Measured(std::to_string(made.size()) + " backups made in all, " + std::to_string(logged.size()) +
           " deletion lines, " + std::to_string(FileCount(dest)) + " files left");
}

TEST_F(LongUse, TwoHundredDailyUnattendedRunsKeepExactlyWhatTheRulesKeep) {
  Describe(
      "200 runs, one a day from 2003-12-01 (across New Year and "
      "2004-02-29), forced deletion after 60 days and selective after 14 (Sundays "
      "kept), against a destination pre-filled with 730 daily backups.",
      "Every run succeeds; each month's log holds "
      "exactly that month's runs in order, each with its deletion lines, the success line, "
      "the elapsed time and END; every deleted backup was logged once; the destination "
      "holds exactly the days the rules keep, their files unchanged; the source is unchanged.");
  std::vector<long> runs;
  for (long day = DaysFromCivil(2003, 12, 1); runs.size() < size_t{kRuns}; ++day)
    runs.push_back(day);
  RunOn(runs, 730);
}

// Handles of this process, counted in the system's handle list (Wine's
// GetProcessHandleCount answers 0).
ULONG KernelHandles() {
  struct Entry {
    ULONG pid;
    UCHAR type, flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  using Query = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<char> buffer(1 << 24);
  ULONG size = 0;
  if (!query ||
      query(16 /* SystemHandleInformation */, buffer.data(), ULONG(buffer.size()), &size) != 0)
    return 0;
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
  ULONG mine = 0;
  for (ULONG i = 0; i < count; ++i) mine += entries[i].pid == ::GetCurrentProcessId();
  return mine;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  ::EnumChildWindows(hwnd, &CountWindow, count);
  return TRUE;
}

struct Resources {
  ULONG handles = 0, kernel = 0, gdi = 0, user = 0;
  int windows = 0;
  SIZE_T committed = 0, working_set = 0;

  static Resources Now() {
    Resources r;
    ::GetProcessHandleCount(::GetCurrentProcess(), &r.handles);
    r.kernel = KernelHandles();
    r.gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    r.user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&r.windows));
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
    r.committed = memory.PagefileUsage;
    r.working_set = memory.WorkingSetSize;
    return r;
  }
  std::string Text() const {
    return "handles " + std::to_string(handles) + " (listed " + std::to_string(kernel) + "), GDI " +
           std::to_string(gdi) + ", USER " + std::to_string(user) + ", windows " +
           std::to_string(windows) + ", committed " + std::to_string(committed >> 10) +
           " KB, working set " + std::to_string(working_set >> 10) + " KB";
  }
};

class LongUseInOneProcess : public FormTest {
 protected:
  void SetUp() override { SetNow(EncodeDateTime(2001, 5, 23, 9, 5)); }
};

TEST_F(LongUseInOneProcess, SixtyRunsDoNotGrowHandlesWindowsOrMemory) {
  Describe(
      "60 runs through the Run command in one process, one a day, both deletion rules "
      "on, each copying a small tree and sweeping a month of backups; resources sampled "
      "after run 10 and run 60.",
      "Handles (GetProcessHandleCount and the system's handle list), GDI and USER objects, "
      "windows and committed memory after run 60 are within a small margin of run 10 "
      "(a leak of one object per run would add 50); each month's log holds that month's "
      "runs in order.");
  for (const wchar_t* folder : {L"", L"d1\\", L"d2\\"})
    for (const wchar_t* name : {L"f0.txt", L"f1.txt"})
      dir.WriteFile(L"src\\Work\\" + std::wstring(folder) + name, "data");
  const long first = DaysFromCivil(2003, 12, 1);
  for (long d = first - 30; d < first; ++d)
    dir.WriteFile(L"dest\\" + win::ToWide(DayFolder(d)) + L"\\1200\\Work\\data.txt", "old");
  Start({"/AUTO"});
  form_->EditTo.SetText(dir.PathA() + "dest");
  form_->EditFrom.SetCell(0, dir.PathA() + "src\\Work");
  form_->ChkDel.SetChecked(true);
  form_->SpinDel.SetValue(kSelectiveDays);
  form_->ChkKill.SetChecked(true);
  form_->SpinKill.SetValue(kForcedDays);
  Resources after10, after_last;
  std::map<std::string, std::vector<ExpectedRun>> runs;  // by the month's log file
  for (int k = 0; k < kWindowRuns; ++k) {
    const long day = first + k;
    const Civil d = CivilFromDays(day);
    SetNow(EncodeDateTime(d.year, d.month, d.day, 12, 0));
    Exec();
    // Each run shows its own month's log, its own lines last.
    const std::string& text = form_->RunLog().Text();
    ExpectedRun expected{Stamp(day), {}};
    for (const std::string& line : SplitLines(text.substr(text.rfind("START="))))
      if (line.ends_with(kDeleted) || line.ends_with("をコピーしました"))
        expected.lines.push_back(line);
    expected.lines.push_back(kDone);
    runs[DayFolder(day).substr(0, 4)].push_back(expected);
    if (k + 1 == 10) after10 = Resources::Now();
  }
  after_last = Resources::Now();
  EXPECT_TRUE(dialogs.shown.empty());
  for (const auto& [yymm, month_runs] : runs)
    EXPECT_TRUE(LogHolds(dir.ReadFile(L"log\\" + win::ToWide(yymm) + L".log"), "", month_runs));
  Measured("after run 10: " + after10.Text() + "; after run 60: " + after_last.Text());
  constexpr ULONG kSlack = 8;
  EXPECT_LE(after_last.handles, after10.handles + kSlack);
  EXPECT_LE(after_last.kernel, after10.kernel + kSlack);
  EXPECT_LE(after_last.gdi, after10.gdi + kSlack);
  EXPECT_LE(after_last.user, after10.user + kSlack);
  EXPECT_EQ(after_last.windows, after10.windows);
  // The log itself grows by a few hundred bytes a run, held twice (text and view).
  EXPECT_LE(after_last.committed, after10.committed + (8u << 20));
}

}  // namespace
}  // namespace yx::test
