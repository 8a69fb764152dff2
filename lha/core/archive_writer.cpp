#include "lha/core/archive_writer.h"

#include <algorithm>

#include "lha/core/crc16.h"
#include "lha/core/entry_pipeline.h"
#include "lha/core/lh5_encoder.h"

namespace yx::lha {
namespace {

constexpr size_t kChunk = 256 * 1024;
constexpr uint64_t k4GiB = uint64_t{1} << 32;

// Copies entries of an old archive byte for byte.
WriteStatus CopyEntries(RandomSource* old_archive, std::span<const KeptEntry> entries,
                        ArchiveSink& out) {
  std::vector<uint8_t> buffer(kChunk);
  for (const KeptEntry& e : entries) {
    if (!old_archive) return WriteStatus::kOldArchiveUnreadable;
    for (uint64_t done = 0; done < e.TotalSize();) {
      const size_t want =
          static_cast<size_t>(std::min<uint64_t>(buffer.size(), e.TotalSize() - done));
      size_t got = 0;
      if (!old_archive->ReadAt(e.offset + done, buffer.data(), want, got) || got != want)
        return WriteStatus::kOldArchiveUnreadable;
      if (!out.Write(buffer.data(), got)) return WriteStatus::kWriteFailed;
      done += got;
    }
  }
  return WriteStatus::kOk;
}

WriteStatus WriteEndMark(ArchiveSink& out) {
  const uint8_t end_mark = 0;
  return out.Write(&end_mark, 1) && out.Truncate() ? WriteStatus::kOk : WriteStatus::kWriteFailed;
}

}  // namespace

EntryWriter::EntryWriter(const ParserOptions& options) : buffer_(kChunk), encoder_(options) {}

// Copies the content again, unchanged, after the header.
WriteStatus EntryWriter::Store(ArchiveSink& out, ContentSource& content, uint64_t& size,
                               uint16_t& crc) {
  if (!content.Rewind()) return WriteStatus::kSourceUnreadable;
  Crc16 sum;
  size = 0;
  for (;;) {
    size_t got = 0;
    if (!content.Read(buffer_.data(), buffer_.size(), got)) return WriteStatus::kSourceUnreadable;
    if (got == 0) break;
    sum.Update(buffer_.data(), got);
    if (!out.Write(buffer_.data(), got)) return WriteStatus::kWriteFailed;
    size += got;
  }
  crc = sum.Value();
  return WriteStatus::kOk;
}

WriteStatus EntryWriter::Directory(ArchiveSink& out, EntryHeader header) {
  header.SetMethod(kMethodDirectory);
  header.packed_size = header.original_size = 0;
  header.crc = 0;
  std::vector<uint8_t> bytes;
  if (!EncodeLevel2Header(header, bytes)) return WriteStatus::kNameTooLong;
  return out.Write(bytes.data(), bytes.size()) ? WriteStatus::kOk : WriteStatus::kWriteFailed;
}

WriteStatus EntryWriter::File(ArchiveSink& out, EntryHeader header, uint64_t listed_size,
                              ContentSource& content, EntrySum& sum) {
  const uint64_t start = out.Position();
  // The placeholder has the final length as long as the size stays on the same
  // side of 4 GiB (the 64-bit size header comes and goes with that).
  header.SetMethod(kMethodLh5);
  header.original_size = header.packed_size = listed_size;
  header.crc = 0;
  std::vector<uint8_t> bytes;
  if (!EncodeLevel2Header(header, bytes)) return WriteStatus::kNameTooLong;
  const size_t header_size = bytes.size();
  if (!out.Write(bytes.data(), header_size)) return WriteStatus::kWriteFailed;

  Crc16 crc;
  uint64_t size = 0;
  bool stored = listed_size == 0;
  if (!stored) {
    encoder_.Start(out);
    for (;;) {
      size_t got = 0;
      if (!content.Read(buffer_.data(), buffer_.size(), got)) return WriteStatus::kSourceUnreadable;
      if (got == 0) break;
      crc.Update(buffer_.data(), got);
      size += got;
      if (!encoder_.Write(buffer_.data(), got)) return WriteStatus::kWriteFailed;
      // Output already as large as the whole input, or data that does not
      // compress (an archive, a picture): stored, and no more time lost.
      if (encoder_.PackedSize() >= std::max(listed_size, size) || encoder_.Incompressible()) {
        stored = true;
        break;
      }
    }
    if (!stored) {
      if (!encoder_.Finish()) return WriteStatus::kWriteFailed;
      stored = encoder_.PackedSize() >= size;
      header.packed_size = encoder_.PackedSize();
    }
  }
  header.crc = crc.Value();
  header.original_size = size;
  if (stored) {
    if (!out.Seek(start + header_size)) return WriteStatus::kWriteFailed;
    if (const WriteStatus s = Store(out, content, size, header.crc); s != WriteStatus::kOk)
      return s;
    header.SetMethod(kMethodStored);
    header.original_size = header.packed_size = size;
  }
  sum.size = size;
  sum.crc = header.crc;
  if ((size >= k4GiB) != (listed_size >= k4GiB)) return WriteStatus::kSourceChanged;
  if (!EncodeLevel2Header(header, bytes) || bytes.size() != header_size)
    return WriteStatus::kSourceChanged;
  if (!out.Seek(start) || !out.Write(bytes.data(), bytes.size()) ||
      !out.Seek(start + header_size + header.packed_size))
    return WriteStatus::kWriteFailed;
  return WriteStatus::kOk;
}

WriteStatus WriteEntry(EntryWriter& writer, ArchiveSink& out, const NewEntry& e, EntrySum& sum) {
  if (e.header.IsDirectory()) return writer.Directory(out, e.header);
  const uint64_t start = out.Position();
  std::unique_ptr<ContentSource> content = e.open ? e.open() : nullptr;
  const WriteStatus s =
      content ? writer.File(out, e.header, e.size, *content, sum) : WriteStatus::kSourceUnreadable;
  // What was written of a file that failed part way is written over by the
  // next entry, or cut off behind the end mark.
  if (s == WriteStatus::kSourceUnreadable && !out.Seek(start)) return WriteStatus::kWriteFailed;
  return s;
}

WriteResult WriteArchive(RandomSource* old_archive, std::span<const KeptEntry> keep,
                         const NewEntries& add, ArchiveSink& out, const ParserOptions& options,
                         int workers) {
  const auto copy_kept = [&] { return CopyEntries(old_archive, keep, out); };
  WriteResult result;
  if (workers > 1 && add.Count() > 1) {
    result = WriteEntriesInParallel(add, out, options, std::min(workers, kMaxWorkers), copy_kept);
  } else {
    if (const WriteStatus s = copy_kept(); s != WriteStatus::kOk) return {s, 0, {}, {}};
    EntryWriter writer(options);
    result.sums.resize(add.Count());
    for (size_t i = 0; i < add.Count(); ++i) {
      result.sums[i].offset = out.Position();
      const WriteStatus s = WriteEntry(writer, out, add.Make(i), result.sums[i]);
      if (s == WriteStatus::kSourceUnreadable)
        result.skipped.push_back(i);
      else if (s != WriteStatus::kOk)
        return {s, i, {}, {}};
    }
  }
  if (result.status != WriteStatus::kOk) return result;
  if (const WriteStatus s = WriteEndMark(out); s != WriteStatus::kOk) return {s, 0, {}, {}};
  if (!result.skipped.empty()) {
    std::vector<EntrySum> written;
    written.reserve(result.sums.size() - result.skipped.size());
    for (size_t i = 0, k = 0; i < result.sums.size(); ++i) {
      if (k < result.skipped.size() && result.skipped[k] == i)
        ++k;
      else
        written.push_back(result.sums[i]);
    }
    result.sums = std::move(written);
  }
  return result;
}

WriteStatus AppendOldEntries(RandomSource& old_archive, std::span<const KeptEntry> entries,
                             ArchiveSink& out, std::vector<EntrySum>& sums) {
  if (entries.empty()) return WriteStatus::kOk;
  if (out.Position() == 0 || !out.Seek(out.Position() - 1)) return WriteStatus::kWriteFailed;
  for (const KeptEntry& e : entries) {
    sums.push_back({out.Position(), e.original_size, e.crc});
    if (const WriteStatus s = CopyEntries(&old_archive, {&e, 1}, out); s != WriteStatus::kOk)
      return s;
  }
  return WriteEndMark(out);
}

}  // namespace yx::lha
