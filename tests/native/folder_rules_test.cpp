#include "app/folder_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace setup {
namespace {

TEST(FolderRules, TrimThenJudge) {
  using V = FolderTextVerdict;
  struct Case {
    std::string typed, trimmed;
    V verdict;
  } cases[] = {
      {"", "", V::kEmpty},
      {" \t\r\n\x01 ", "", V::kEmpty},
      {"abc", "abc", V::kNotFullPath},
      {"C", "C", V::kNotFullPath},
      {"\\\\server\\share", "\\\\server\\share", V::kNotFullPath},
      {"C:", "C:", V::kDriveRoot},
      {"C:\\", "C:\\", V::kDriveRoot},
      {"C:x", "C:x", V::kDriveRoot},  // three bytes, colon second
      {"  C:\\ ", "C:\\", V::kDriveRoot},
      {"C:\\a", "C:\\a", V::kAcceptable},
      {"C:\\a:b", "C:\\a:b", V::kDriveRoot},   // colon next-to-last
      {"C:\\a:bc", "C:\\a:bc", V::kAcceptable},  // colon earlier passes this rule
      {"\t C:\\Program Files\\青岚星 \x1f", "C:\\Program Files\\青岚星", V::kAcceptable},
      // Bytes from 0x80 up are text, not blanks (a signed compare would trim them).
      {"C:\\软件\xa1\xa1", "C:\\软件\xa1\xa1", V::kAcceptable},
  };
  for (const Case& c : cases) {
    const std::string trimmed = TrimFolderText(c.typed);
    EXPECT_EQ(trimmed, c.trimmed) << "typed \"" << c.typed << "\"";
    EXPECT_EQ(JudgeFolderText(trimmed), c.verdict) << "typed \"" << c.typed << "\"";
  }
}

TEST(FolderRules, LongTextIsJudgedWhole) {
  const std::string folder = "C:\\" + std::string(200, 'a');
  EXPECT_EQ(TrimFolderText(folder), folder);
  EXPECT_EQ(JudgeFolderText(folder), FolderTextVerdict::kAcceptable);
}

TEST(FolderRules, RefusalMessagesAreTheWizardsGbkTexts) {
  // Byte for byte, blanks included: catches a source or compiler setting
  // that no longer turns the literals into GBK.
  using V = FolderTextVerdict;
  EXPECT_EQ(FolderRefusalMessage(V::kEmpty),
            "  \xcc\xe1\xca\xbe\xa3\xba\xc7\xeb\xd1\xa1\xd4\xf1\xc4\xbf\xb1\xea\xce\xc4\xbc\xfe\xbc\xd0\xa3\xa1     ");
  EXPECT_EQ(FolderRefusalMessage(V::kNotFullPath),
            "\xb1\xd8\xd0\xeb\xd6\xb8\xb6\xa8\xcd\xea\xc8\xab\xc2\xb7\xbe\xb6!\r\n\xb1\xc8\xc8\xe7:\r\nC:\\TAVRO-Y");
  EXPECT_EQ(FolderRefusalMessage(V::kDriveRoot),
            "  \xcc\xe1\xca\xbe\xa3\xba\xb2\xbb\xc4\xdc\xb0\xb2\xd7\xb0\xb5\xbd\xc7\xfd\xb6\xaf\xc6\xf7\xb5\xc4\xb8\xf9\xc4\xbf"
            "\xc2\xbc\xcf\xc2!  ");
  EXPECT_EQ(FolderRefusalMessage(V::kAcceptable), "");
  EXPECT_EQ(std::string_view(kFolderNotCreatedMessage),
            "  \xcc\xe1\xca\xbe\xa3\xba\xb4\xb4\xbd\xa8\xd7\xd3\xce\xc4\xbc\xfe\xbc\xd0\xca\xa7\xb0\xdc\xa3\xa1         ");
}

TEST(FolderRules, BrowsedFolderGetsTheProductFolder) {
  struct Case {
    std::string chosen, expected;
  } cases[] = {
      {"C:\\", "C:\\Product"},
      {"C:\\Apps", "C:\\Apps\\Product"},
      {"D:\\a", "D:\\a\\Product"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProposedFolder(c.chosen, "Product"), c.expected) << c.chosen;
}

}  // namespace
}  // namespace setup
