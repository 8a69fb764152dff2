// The run log's line ends: after NormalizeLineEnds every CR is followed by
// LF and every LF follows a CR, the other bytes are untouched, each line end
// of the input (CR LF, lone CR, lone LF) is one CR LF, and a second pass
// changes nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "log/run_log.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

std::string WithoutLineEnds(const std::string& s) {
  std::string out;
  for (const char c : s)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string out = yx::log::NormalizeLineEnds(in);
  size_t ends_in = 0;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ++i;
    if (in[i] == '\r' || in[i] == '\n') ++ends_in;
  }
  size_t ends_out = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '\r') {
      Check(i + 1 < out.size() && out[i + 1] == '\n');
      ++ends_out;
      ++i;
    } else {
      Check(out[i] != '\n');
    }
  }
  Check(ends_in == ends_out);
  Check(WithoutLineEnds(in) == WithoutLineEnds(out));
  Check(yx::log::NormalizeLineEnds(out) == out);
  return 0;
}
