// The month log as a hand might have edited it: the scan never reads out of
// bounds, finds a good run only inside a run it saw start, and a good run
// added on lines of its own at the end is always the one it reports.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "log/last_good_run.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

// "\tバックアップ正常終了" in CP932.
constexpr char kGoodLine[] =
    "\t\x83\x6f\x83\x62\x83\x4e\x83\x41\x83\x62\x83\x76\x90\xb3\x8f\xed\x8f\x49\x97\xb9";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const yx::log::GoodRunScan scan = yx::log::ScanMonthLog(in);
  Check(!scan.last_good || scan.any_run);
  const std::string added = in + "\r\nSTART=01/05/23 09:05:00\r\n" + kGoodLine + "\r\n";
  const yx::log::GoodRunScan last = yx::log::ScanMonthLog(added);
  Check(last.any_run && last.last_good == yx::EncodeDateTime(2001, 5, 23, 9, 5, 0));
  const yx::log::BackupAge age = yx::log::AgeOfLastGoodRun(
      [&](int, int) { return std::optional<std::string>(in); }, yx::EncodeDateTime(2001, 6, 1), 3);
  Check(age.days >= 0);
  return 0;
}
