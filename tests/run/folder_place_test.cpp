// The program folder's side of the session where the system answers: which
// two source names the file system takes for one folder.
#include "run/folder_place.h"

#include <gtest/gtest.h>

namespace yx::run {
namespace {

TEST(SystemFolderProbe, SourceNamesAreTheSameFolderAsTheFileSystemMatchesNames) {
  const SystemFolderProbe probe;
  // Case is folded, full-width letters (ｄａｔａ, ＤＡＴＡ) and Greek (α, Α)
  // included; widths and kana are not: ＤＡＴＡ and DATA, ｱ and ア are two
  // folders. The last name counts, as the full path gives it.
  EXPECT_TRUE(probe.SameLastFolderName("C:\\a\\Data", "D:\\b\\DATA\\"));
  EXPECT_TRUE(probe.SameLastFolderName("C:\\a\\Data\\.", "C:\\b\\x\\..\\data"));
  EXPECT_TRUE(probe.SameLastFolderName("C:\\ｄａｔａ", "C:\\b\\ＤＡＴＡ"));
  EXPECT_TRUE(probe.SameLastFolderName("C:\\α", "D:\\Α"));
  EXPECT_FALSE(probe.SameLastFolderName("C:\\ＤＡＴＡ", "C:\\b\\DATA"));
  EXPECT_FALSE(probe.SameLastFolderName("C:\\ｱ", "C:\\b\\ア"));
  EXPECT_FALSE(probe.SameLastFolderName("C:\\Data", "C:\\Data2"));
  // A drive root has no name: the run refuses it on its own.
  EXPECT_FALSE(probe.SameLastFolderName("C:\\", "D:\\"));
}

}  // namespace
}  // namespace yx::run
