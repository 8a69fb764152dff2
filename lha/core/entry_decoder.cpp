#include "lha/core/entry_decoder.h"

#include <algorithm>
#include <cstring>

#include "lha/core/crc16.h"
#include "lha/core/old_decoders.h"

namespace yx::lha {
namespace {

// Packed data past the end of the decoded stream that is still taken for
// padding: the writers flush the last byte of bits, some a few more.
constexpr uint64_t kSlackBytes = 8;

}  // namespace

Method MethodOf(const EntryHeader& h, int* window_bits) {
  const std::string m(h.method.data(), h.method.size());
  int bits = 0;
  Method method = Method::kUnsupported;
  if (m == "-lh0-" || m == "-lz4-") {
    method = Method::kStored;
  } else if (m == "-lhd-") {
    method = Method::kDirectory;
  } else if (m == "-lh1-") {
    method = Method::kLh1;
  } else if (m == "-lzs-") {
    method = Method::kLzs;
  } else if (m == "-lz5-") {
    method = Method::kLz5;
  } else if (m == "-lh4-" || m == "-lh5-" || m == "-lh6-" || m == "-lh7-") {
    method = Method::kLh5Family;
    bits = m[3] == '4' ? 12 : m[3] == '5' ? 13 : m[3] == '6' ? 15 : 16;
  }
  if (window_bits) *window_bits = bits;
  return method;
}

std::string MethodName(const EntryHeader& h) { return {h.method.data(), h.method.size()}; }

DecodeStatus EntryDecoder::Decode(RandomSource& source, const ArchiveEntry& e, ByteSink* out) {
  const EntryHeader& h = e.header;
  int bits = 0;
  const Method method = MethodOf(h, &bits);
  if (method == Method::kUnsupported) return DecodeStatus::kUnsupported;
  if (method == Method::kDirectory) return DecodeStatus::kOk;
  uint64_t at = e.offset + e.header_size;
  uint64_t left = e.data_size;
  bool read_error = false;
  const Lh5Decoder::Input input = [&](uint8_t* data, size_t size) -> int64_t {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(size, left));
    size_t got = 0;
    if (want == 0) return 0;
    if (!source.ReadAt(at, data, want, got) || got != want) {
      read_error = true;
      return -1;
    }
    at += got;
    left -= got;
    return static_cast<int64_t>(got);
  };
  // Tells a sink's failure from damage.
  struct Counted : ByteSink {
    ByteSink* to;
    bool failed = false;
    bool Write(const uint8_t* data, size_t size) override {
      if (to && !to->Write(data, size)) failed = true;
      return !failed;
    }
  } sink;
  sink.to = out;

  uint16_t crc = 0;
  bool ok = false;
  bool longer = false;
  switch (method) {
    case Method::kStored: {
      if (buffer_.empty()) buffer_.resize(64 * 1024);
      Crc16 sum;
      uint64_t want = std::min(h.original_size, e.data_size);
      while (want > 0) {
        const int64_t got =
            input(buffer_.data(), static_cast<size_t>(std::min<uint64_t>(buffer_.size(), want)));
        if (got <= 0) break;
        sum.Update(buffer_.data(), static_cast<size_t>(got));
        if (!sink.Write(buffer_.data(), static_cast<size_t>(got))) break;
        want -= static_cast<uint64_t>(got);
      }
      ok = want == 0 && e.data_size >= h.original_size;
      longer = e.data_size > h.original_size;
      crc = sum.Value();
      break;
    }
    case Method::kLh5Family:
      if (!lh5_ || lh5_bits_ != bits) {
        lh5_ = std::make_unique<Lh5Decoder>(bits);
        lh5_bits_ = bits;
      }
      ok = lh5_->Decode(input, h.original_size, crc, &sink);
      longer = ok && (lh5_->LongerThanStated() ||
                      e.data_size - std::min(e.data_size, lh5_->BytesUsed()) > kSlackBytes);
      break;
    case Method::kLh1:
      ok = DecodeLh1(input, h.original_size, crc, &sink);
      break;
    case Method::kLzs:
      ok = DecodeLzs(input, h.original_size, crc, &sink);
      break;
    case Method::kLz5:
      ok = DecodeLz5(input, h.original_size, crc, &sink);
      break;
    default:
      break;
  }
  if (read_error) return DecodeStatus::kReadError;
  if (sink.failed) return DecodeStatus::kWriteError;
  if (!ok) return DecodeStatus::kDamaged;
  if (longer || (method != Method::kStored && left > kSlackBytes)) return DecodeStatus::kLonger;
  return crc == h.crc ? DecodeStatus::kOk : DecodeStatus::kCrcMismatch;
}

}  // namespace yx::lha
