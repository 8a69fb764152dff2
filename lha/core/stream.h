#pragma once
// The byte streams the library reads and writes through. The platform layer
// implements them over files; tests implement them over memory. Every call
// reports failure by its result; nothing here throws on I/O errors.
#include <cstddef>
#include <cstdint>

namespace yx::lha {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  [[nodiscard]] virtual bool Write(const uint8_t* data, size_t size) = 0;
};

// An archive being written: entries are patched once their sizes are known.
class ArchiveSink : public ByteSink {
 public:
  [[nodiscard]] virtual uint64_t Position() const = 0;
  [[nodiscard]] virtual bool Seek(uint64_t position) = 0;
  // Cuts the file at the current position (a stored fallback may leave a
  // longer compressed attempt behind it).
  [[nodiscard]] virtual bool Truncate() = 0;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes; `got` < `size` only at the end. False on error.
  [[nodiscard]] virtual bool Read(uint8_t* data, size_t size, size_t& got) = 0;
};

// A file's content, read again from the start when it must be stored instead.
class ContentSource : public ByteSource {
 public:
  [[nodiscard]] virtual bool Rewind() = 0;
};

// An existing archive, read at any offset.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  [[nodiscard]] virtual uint64_t Size() const = 0;
  // Reads up to `size` bytes at `offset`; fewer only at the end of the file.
  [[nodiscard]] virtual bool ReadAt(uint64_t offset, uint8_t* data, size_t size, size_t& got) = 0;
};

}  // namespace yx::lha
