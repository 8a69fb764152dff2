#pragma once
// The catalog of an archive run: the archive read back once it is written,
// every entry decoded for the hash of the bytes a restore would get.
#include <string>

#include "catalog/catalog.h"

namespace yx::backup {

// Adds the entries of `archive` to `kept`. False, with `failure` (CP932),
// when the archive cannot be read whole: it then gets no catalog.
[[nodiscard]] bool CatalogArchive(const std::wstring& archive, catalog::Catalog& kept,
                                  std::string& failure);

}  // namespace yx::backup
