#include "lha/core/old_decoders.h"

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "lha/core/bit_reader.h"
#include "lha/core/crc16.h"

namespace yx::lha {
namespace {

// The sliding window of an LZSS method and the bytes decoded, summed and
// handed on in pieces.
class Ring {
 public:
  Ring(size_t size, size_t start, uint64_t original_size, ByteSink* out)
      : text_(size, ' '), mask_(size - 1), at_(start), left_(original_size), out_(out) {
    pending_.reserve(kPiece);
  }
  [[nodiscard]] uint8_t* Text() { return text_.data(); }
  [[nodiscard]] uint64_t Left() const { return left_; }
  [[nodiscard]] bool Put(uint8_t c) {
    text_[at_] = c;
    at_ = (at_ + 1) & mask_;
    pending_.push_back(c);
    --left_;
    return pending_.size() < kPiece || Flush();
  }
  // A match `length` long from ring position `from`; false when it would run
  // past the stated size.
  [[nodiscard]] bool Copy(size_t from, size_t length) {
    if (length > left_) return false;
    for (size_t k = 0; k < length; ++k)
      if (!Put(text_[(from + k) & mask_])) return false;
    return true;
  }
  [[nodiscard]] size_t At() const { return at_; }
  [[nodiscard]] bool Flush() {
    sum_.Update(pending_.data(), pending_.size());
    const bool ok = !out_ || pending_.empty() || out_->Write(pending_.data(), pending_.size());
    pending_.clear();
    return ok;
  }
  [[nodiscard]] uint16_t Crc() const { return sum_.Value(); }

 private:
  static constexpr size_t kPiece = 64 * 1024;
  std::vector<uint8_t> text_;
  size_t mask_;
  size_t at_;
  uint64_t left_;
  ByteSink* out_;
  std::vector<uint8_t> pending_;
  Crc16 sum_;
};

bool Finish(Ring& ring, const BitReader& bits, uint16_t& crc) {
  if (!ring.Flush() || !bits.Ok()) return false;
  crc = ring.Crc();
  return true;
}

// The adaptive Huffman code of -lh1-: 314 symbols (256 literals, then match
// lengths 3 to 60), the tree rebuilt from halved counts when the root's
// count reaches 0x8000.
class AdaptiveCode {
 public:
  static constexpr int kSymbols = 314;
  static constexpr int kNodes = 2 * kSymbols - 1;
  static constexpr int kRoot = kNodes - 1;

  AdaptiveCode() {
    for (int i = 0; i < kSymbols; ++i) {
      freq_[i] = 1;
      son_[i] = i + kNodes;
      parent_[i + kNodes] = i;
    }
    for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
      freq_[j] = freq_[i] + freq_[i + 1];
      son_[j] = i;
      parent_[i] = parent_[i + 1] = j;
    }
    freq_[kNodes] = 0xFFFF;  // a sentinel larger than any count
    parent_[kRoot] = 0;
  }

  [[nodiscard]] int Decode(BitReader& bits) {
    int c = son_[kRoot];
    while (c < kNodes) c = son_[c + static_cast<int>(bits.Bit())];
    c -= kNodes;
    Update(c);
    return c;
  }

 private:
  void Rebuild() {
    int j = 0;
    for (int i = 0; i < kNodes; ++i) {
      if (son_[i] >= kNodes) {
        freq_[j] = (freq_[i] + 1) / 2;
        son_[j] = son_[i];
        ++j;
      }
    }
    for (int i = 0, n = kSymbols; n < kNodes; i += 2, ++n) {
      const uint32_t f = freq_[i] + freq_[i + 1];
      int k = n - 1;
      while (f < freq_[k]) --k;
      ++k;
      std::memmove(&freq_[k + 1], &freq_[k], sizeof freq_[0] * static_cast<size_t>(n - k));
      std::memmove(&son_[k + 1], &son_[k], sizeof son_[0] * static_cast<size_t>(n - k));
      freq_[k] = f;
      son_[k] = i;
    }
    for (int i = 0; i < kNodes; ++i) {
      const int k = son_[i];
      parent_[k] = i;
      if (k < kNodes) parent_[k + 1] = i;
    }
  }

  void Update(int symbol) {
    if (freq_[kRoot] == 0x8000) Rebuild();
    int c = parent_[symbol + kNodes];
    do {
      const uint32_t k = ++freq_[c];
      int l = c + 1;
      if (k > freq_[l]) {
        while (k > freq_[++l]) {
        }
        --l;
        freq_[c] = freq_[l];
        freq_[l] = k;
        const int i = son_[c];
        parent_[i] = l;
        if (i < kNodes) parent_[i + 1] = l;
        const int j = son_[l];
        son_[l] = i;
        parent_[j] = c;
        if (j < kNodes) parent_[j + 1] = c;
        son_[c] = j;
        c = l;
      }
    } while ((c = parent_[c]) != 0);
  }

  std::array<uint32_t, kNodes + 1> freq_{};
  std::array<int, kNodes + kSymbols> parent_{};
  std::array<int, kNodes> son_{};
};

// The upper six bits of an -lh1- position: a fixed canonical code of 3 to 8
// bits (one code of 3 bits, 3 of 4, 8 of 5, 12 of 6, 24 of 7, 16 of 8).
int DecodeUpperPosition(BitReader& bits) {
  static constexpr std::array<int, 9> kCount{0, 0, 0, 1, 3, 8, 12, 24, 16};
  uint32_t code = 0, first = 0;
  int index = 0;
  for (int len = 1; len <= 8; ++len) {
    code = code << 1 | bits.Bit();
    if (code - first < static_cast<uint32_t>(kCount[len]))
      return index + static_cast<int>(code - first);
    index += kCount[len];
    first = (first + static_cast<uint32_t>(kCount[len])) << 1;
  }
  return 0;  // unreachable: the code is complete
}

}  // namespace

bool DecodeLh1(const Lh5Decoder::Input& input, uint64_t original_size, uint16_t& crc,
               ByteSink* out) {
  constexpr size_t kWindow = 4096;
  BitReader bits(input);
  auto code = std::make_unique<AdaptiveCode>();
  Ring ring(kWindow, kWindow - 60, original_size, out);
  while (ring.Left() > 0 && bits.Ok()) {
    const int c = code->Decode(bits);
    if (c < 256) {
      if (!ring.Put(static_cast<uint8_t>(c))) return false;
      continue;
    }
    const int upper = DecodeUpperPosition(bits);
    const size_t position = static_cast<size_t>(upper) << 6 | bits.Bits(6);
    if (!ring.Copy(ring.At() - position - 1, static_cast<size_t>(c - 253))) return false;
  }
  return Finish(ring, bits, crc);
}

bool DecodeLzs(const Lh5Decoder::Input& input, uint64_t original_size, uint16_t& crc,
               ByteSink* out) {
  constexpr size_t kWindow = 2048;
  BitReader bits(input);
  Ring ring(kWindow, kWindow - 17, original_size, out);
  while (ring.Left() > 0 && bits.Ok()) {
    if (bits.Bit() != 0) {
      if (!ring.Put(static_cast<uint8_t>(bits.Bits(8)))) return false;
      continue;
    }
    const size_t position = bits.Bits(11);
    if (!ring.Copy(position, bits.Bits(4) + 2)) return false;
  }
  return Finish(ring, bits, crc);
}

bool DecodeLz5(const Lh5Decoder::Input& input, uint64_t original_size, uint16_t& crc,
               ByteSink* out) {
  constexpr size_t kWindow = 4096;
  BitReader bits(input);
  Ring ring(kWindow, kWindow - 18, original_size, out);
  // LArc's starting window: each byte value 13 times, the values up, the
  // values down, 128 zeros, spaces, and zeros where the writing starts.
  uint8_t* text = ring.Text();
  size_t at = 0;
  for (int v = 0; v < 256; ++v)
    for (int k = 0; k < 13; ++k) text[at++] = static_cast<uint8_t>(v);
  for (int v = 0; v < 256; ++v) text[at++] = static_cast<uint8_t>(v);
  for (int v = 255; v >= 0; --v) text[at++] = static_cast<uint8_t>(v);
  for (int k = 0; k < 128; ++k) text[at++] = 0;
  std::memset(text + kWindow - 18, 0, 18);
  unsigned flags = 0, flags_left = 0;
  while (ring.Left() > 0 && bits.Ok()) {
    if (flags_left == 0) {
      flags = bits.Byte();
      flags_left = 8;
    }
    const bool literal = flags & 1u;
    flags >>= 1;
    --flags_left;
    if (literal) {
      if (!ring.Put(bits.Byte())) return false;
      continue;
    }
    const unsigned low = bits.Byte();
    const unsigned high = bits.Byte();
    const size_t position = low | (high & 0xF0u) << 4;
    if (!ring.Copy(position, (high & 0x0Fu) + 3)) return false;
  }
  return Finish(ring, bits, crc);
}

}  // namespace yx::lha
