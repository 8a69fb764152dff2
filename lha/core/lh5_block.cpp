#include "lha/core/lh5_block.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "lha/core/huffman.h"

namespace yx::lha {
namespace {

constexpr int kTBits = 5;  // width of the pt table's count and of its one-symbol form
constexpr int kCBits = 9;
constexpr int kPBits = 4;

// The cheapest tokens for `run` zeros (1..kNumC): one pt 2 when it is
// there and the run is long enough, else the best mix of pt 0 and pt 1, by
// the fewest bits from the run's start. Returns the count written to `out`.
int CheapestZeroRun(int run, const std::array<uint8_t, kNumPt>& pt_bits, LengthToken* out) {
  constexpr uint32_t kNone = 1u << 20;
  const uint32_t one = pt_bits[0] != 0 ? pt_bits[0] : kNone;
  const uint32_t some = pt_bits[1] != 0 ? pt_bits[1] + 4u : kNone;
  const uint32_t many = pt_bits[2] != 0 ? pt_bits[2] + 9u : kNone;
  std::array<uint32_t, kNumC + 1> cost;  // at most kNumC tokens of kNone: no overflow
  std::array<uint8_t, kNumC + 1> step;   // zeros of the last token
  cost[0] = 0;
  for (int r = 1; r <= run; ++r) {
    cost[r] = cost[r - 1] + one;
    step[r] = 1;
    for (int k = 3; k <= std::min(r, 18); ++k)
      if (cost[r - k] + some < cost[r])
        cost[r] = cost[r - k] + some, step[r] = static_cast<uint8_t>(k);
  }
  if (run >= 20 && (many < cost[run] || cost[run] >= kNone)) {
    out[0] = {2, 9, static_cast<uint16_t>(run - 20)};
    return 1;
  }
  int count = 0;
  for (int r = run; r > 0; r -= step[r])
    out[count++] =
        step[r] == 1 ? LengthToken{0, 0, 0} : LengthToken{1, 4, static_cast<uint16_t>(step[r] - 3)};
  std::reverse(out, out + count);
  return count;
}

// Run-length form of the c lengths: pt 0 one zero, pt 1 3..18 zeros (4 bits),
// pt 2 20.. zeros (9 bits), pt k a length of k - 2. A run of zeros is cut
// into the tokens that cost the fewest bits under `pt_bits` (the pt code's
// lengths, 0 for a token the code lacks); with none given, the usual cut.
int CLengthTokens(const std::array<uint8_t, kNumC>& len, int n,
                  const std::array<uint8_t, kNumPt>* pt_bits, std::array<LengthToken, kNumC>& out) {
  int count = 0;
  for (int i = 0; i < n;) {
    if (len[i] != 0) {
      out[count++] = {static_cast<uint8_t>(len[i] + 2), 0, 0};
      ++i;
      continue;
    }
    int run = 0;
    while (i < n && len[i] == 0) ++i, ++run;
    if (pt_bits == nullptr) {
      if (run <= 2) {
        while (run--) out[count++] = {0, 0, 0};
      } else if (run <= 18) {
        out[count++] = {1, 4, static_cast<uint16_t>(run - 3)};
      } else if (run == 19) {
        out[count++] = {0, 0, 0};
        out[count++] = {1, 4, 15};
      } else {
        out[count++] = {2, 9, static_cast<uint16_t>(run - 20)};
      }
      continue;
    }
    count += CheapestZeroRun(run, *pt_bits, out.data() + count);
  }
  return count;
}

int UsedCount(std::span<const uint8_t> len) {
  int n = static_cast<int>(len.size());
  while (n > 0 && len[n - 1] == 0) --n;
  return n;
}

// A length in the pt and p tables: 3 bits, 7 and up continued in unary.
unsigned LengthFieldBits(int l) { return l < 7 ? 3 : static_cast<unsigned>(l - 3); }

void PutLengthField(BitWriter& out, int l) {
  if (l < 7) {
    out.Put(static_cast<uint32_t>(l), 3);
    return;
  }
  out.Put(7, 3);
  int ones = l - 7;
  while (ones >= 16) out.Put(0xFFFF, 16), ones -= 16;
  out.Put(((1u << ones) - 1) << 1, static_cast<unsigned>(ones + 1));
}

// Zero lengths at positions 3, 4, 5 of the pt table are skipped by a 2-bit count.
int PtSkip(const std::array<uint8_t, kNumPt>& len, int n) {
  int k = 0;
  while (k < 3 && 3 + k < n && len[3 + k] == 0) ++k;
  return k;
}

// The pt code for `tokens` (into `plan`) and the bits of the pt table, the
// c table's count and its tokens.
uint64_t CTableBits(const LengthToken* tokens, int nt, BlockPlan& plan) {
  std::array<uint32_t, kNumPt> pt_freq{};
  for (int i = 0; i < nt; ++i) ++pt_freq[tokens[i].pt];
  plan.pt_used = BuildCodeLengths(pt_freq, kMaxCodeBits, plan.pt_len);
  uint64_t bits = kTBits + kCBits;
  if (plan.pt_used <= 1) {
    bits += kTBits;
  } else {
    const int n = UsedCount(plan.pt_len);
    for (int i = 0; i < n; ++i) {
      bits += LengthFieldBits(plan.pt_len[i]);
      if (i == 2) {
        bits += 2;
        i += PtSkip(plan.pt_len, n);
      }
    }
  }
  for (int i = 0; i < nt; ++i) bits += plan.pt_len[tokens[i].pt] + tokens[i].extra_bits;
  return bits;
}

int SingleSymbol(std::span<const uint32_t> freq) {
  for (size_t s = 0; s < freq.size(); ++s)
    if (freq[s] != 0) return static_cast<int>(s);
  return 0;
}

}  // namespace

void Histogram::Add(const Histogram& o) {
  for (int i = 0; i < kNumC; ++i) c[i] += o.c[i];
  for (int i = 0; i < kNumP; ++i) p[i] += o.p[i];
  codes += o.codes;
}

void Histogram::Subtract(const Histogram& o) {
  for (int i = 0; i < kNumC; ++i) c[i] -= o.c[i];
  for (int i = 0; i < kNumP; ++i) p[i] -= o.p[i];
  codes -= o.codes;
}

BlockPlan PlanBlock(const Histogram& h) {
  BlockPlan plan;
  plan.c_used = BuildCodeLengths(h.c, kMaxCodeBits, plan.c_len);
  if (plan.c_used == 1) {
    // The one-symbol form of the c table decodes codes of zero bits, and
    // libarchive fails on such blocks near the end of an entry (a file of
    // 1 MiB of zeros, say). A second, unused symbol costs one bit per code.
    const int only = SingleSymbol(h.c);
    plan.c_len[only] = 1;
    plan.c_len[only == 0 ? 1 : only - 1] = 1;
    plan.c_used = 2;
  }
  plan.p_used = BuildCodeLengths(h.p, kMaxCodeBits, plan.p_len);
  uint64_t header = 16;
  uint64_t data = 0;
  if (plan.c_used <= 1) {
    header += 2 * kTBits + 2 * kCBits;
  } else {
    const int n = UsedCount(plan.c_len);
    plan.token_count = CLengthTokens(plan.c_len, n, nullptr, plan.tokens);
    uint64_t table = CTableBits(plan.tokens.data(), plan.token_count, plan);
    // The runs of zeros cut again by the bits the pt code just built gives
    // each token, and the pt code rebuilt, while that makes the table smaller.
    for (int round = 0; round < 2; ++round) {
      BlockPlan other;
      other.token_count = CLengthTokens(plan.c_len, n, &plan.pt_len, other.tokens);
      const uint64_t bits = CTableBits(other.tokens.data(), other.token_count, other);
      if (bits >= table) break;
      table = bits;
      plan.tokens = other.tokens;
      plan.token_count = other.token_count;
      plan.pt_len = other.pt_len;
      plan.pt_used = other.pt_used;
    }
    header += table;
    for (int s = 0; s < kNumC; ++s) data += uint64_t{h.c[s]} * plan.c_len[s];
  }
  if (plan.p_used <= 1) {
    header += 2 * kPBits;
  } else {
    const int n = UsedCount(plan.p_len);
    header += kPBits;
    for (int i = 0; i < n; ++i) header += LengthFieldBits(plan.p_len[i]);
  }
  for (int p = 0; p < kNumP; ++p) data += uint64_t{h.p[p]} * (plan.p_len[p] + ExtraBits(p));
  plan.header_bits = header;
  plan.data_bits = data;
  return plan;
}

namespace {

// f * log2(f) for the counts that occur most, from a table: the estimate
// runs over a few hundred counts for every candidate cut.
constexpr int kLogTable = 4096;

const std::array<float, kLogTable>& FLogTable() {
  static const std::array<float, kLogTable> table = [] {
    std::array<float, kLogTable> t{};
    for (int f = 1; f < kLogTable; ++f) t[f] = static_cast<float>(f * std::log2(f));
    return t;
  }();
  return table;
}

double FLog2F(uint32_t f) {
  return f < kLogTable ? FLogTable()[f] : f * std::log2(static_cast<double>(f));
}

}  // namespace

double EstimateBlockBits(const Histogram& h) {
  // Without a branch on the zero counts, which come and go at random in a
  // sparse histogram: the splitter weighs thousands of them per stretch.
  auto entropy = [](std::span<const uint32_t> freq, uint32_t total, int& used) {
    const auto& table = FLogTable();
    double sum = 0;
    int n = 0;
    for (const uint32_t f : freq) {
      n += f != 0;
      sum += f < kLogTable ? table[f] : FLog2F(f);
    }
    used = n;
    return FLog2F(total) - sum;
  };
  uint32_t matches = 0;
  for (const uint32_t f : h.p) matches += f;
  int used_c = 0, used_p = 0;
  double bits = 16 + 2 * kTBits + kCBits + kPBits;
  bits += entropy(h.c, h.codes, used_c) + 4.0 * used_c;
  bits += entropy(h.p, matches, used_p) + 3.0 * used_p;
  for (int p = 2; p < kNumP; ++p) bits += static_cast<double>(h.p[p]) * ExtraBits(p);
  return bits;
}

void WriteBlock(std::span<const uint32_t> symbols, const BlockPlan& plan, BitWriter& out) {
  assert(!symbols.empty() && symbols.size() <= kMaxBlockCodes);
  out.Put(static_cast<uint32_t>(symbols.size()), 16);

  std::array<uint16_t, kNumC> c_code{};
  if (plan.c_used <= 1) {
    Histogram h;
    h.Add(symbols);
    out.Put(0, kTBits);
    out.Put(0, kTBits);
    out.Put(0, kCBits);
    out.Put(static_cast<uint32_t>(SingleSymbol(h.c)), kCBits);
  } else {
    const auto& tokens = plan.tokens;
    const int nt = plan.token_count;
    std::array<uint16_t, kNumPt> pt_code{};
    if (plan.pt_used <= 1) {
      out.Put(0, kTBits);
      out.Put(tokens[0].pt, kTBits);
    } else {
      BuildCodes(plan.pt_len, pt_code);
      const int n = UsedCount(plan.pt_len);
      out.Put(static_cast<uint32_t>(n), kTBits);
      for (int i = 0; i < n; ++i) {
        PutLengthField(out, plan.pt_len[i]);
        if (i == 2) {
          const int skip = PtSkip(plan.pt_len, n);
          out.Put(static_cast<uint32_t>(skip), 2);
          i += skip;
        }
      }
    }
    out.Put(static_cast<uint32_t>(UsedCount(plan.c_len)), kCBits);
    for (int i = 0; i < nt; ++i) {
      out.Put(pt_code[tokens[i].pt], plan.pt_len[tokens[i].pt]);
      out.Put(tokens[i].extra, tokens[i].extra_bits);
    }
    BuildCodes(plan.c_len, c_code);
  }

  std::array<uint16_t, kNumP> p_code{};
  if (plan.p_used <= 1) {
    Histogram h;
    h.Add(symbols);
    out.Put(0, kPBits);
    out.Put(static_cast<uint32_t>(SingleSymbol(h.p)), kPBits);
  } else {
    BuildCodes(plan.p_len, p_code);
    const int n = UsedCount(plan.p_len);
    out.Put(static_cast<uint32_t>(n), kPBits);
    for (int i = 0; i < n; ++i) PutLengthField(out, plan.p_len[i]);
  }

  for (uint32_t s : symbols) {
    const int c = CSymbol(s);
    out.Put(c_code[c], plan.c_len[c]);
    if (c >= 256) {
      // The position code and its extra bits (the offset without its leading
      // 1) in one go: at most 16 + 12 bits.
      const uint32_t offset = Offset(s);
      const int p = PSymbol(offset);
      const unsigned extra = static_cast<unsigned>(ExtraBits(p));
      const uint32_t tail = offset & ((1u << extra) - 1);
      out.Put(static_cast<uint32_t>(p_code[p]) << extra | tail, plan.p_len[p] + extra);
    }
  }
}

}  // namespace yx::lha
