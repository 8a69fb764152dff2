#include "backup/version_caption.h"

namespace yx::backup {

std::string VersionCaption(unsigned short version) {
  return "ver " + std::to_string(version / 100) + "." + std::to_string(version % 100);
}

}  // namespace yx::backup
