#pragma once
// The new entries of an archive compressed by several workers at once and
// written in their order (see archive_writer.h).
#include <functional>

#include "lha/core/archive_writer.h"

namespace yx::lha {

// `before` runs first on the calling thread and writes what precedes the new
// entries (the kept ones) while the workers already compress.
[[nodiscard]] WriteResult WriteEntriesInParallel(const NewEntries& add, ArchiveSink& out,
                                                 const ParserOptions& options, int workers,
                                                 const std::function<WriteStatus()>& before);

}  // namespace yx::lha
