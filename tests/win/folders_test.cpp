// Folder creation on Wine's real file system, with GBK paths.
#include "shell/folders.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/test_paths.h"
#include "win/text.h"

namespace {

using testing_support::ScratchFolder;

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The names in `folder`, as the file system stores them.
std::wstring Names(const std::wstring& folder) {
  std::wstring names;
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names += (names.empty() ? L"" : L"|") + name;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

class CreateFolderChainTest : public ::testing::Test {
 protected:
  // `rest` (GBK) below the scratch folder, joined with a backslash.
  std::string Gbk(const std::string& rest) const { return win::GbkFromWide(scratch_.path()) + "\\" + rest; }
  std::wstring Wide(const std::wstring& rest) const { return scratch_.path() + L"\\" + rest; }

  ScratchFolder scratch_{L"chain"};
};

TEST_F(CreateFolderChainTest, CreatesEveryMissingFolder) {
  EXPECT_TRUE(setup::CreateFolderChain(Gbk("a\\b\\c")));
  EXPECT_TRUE(IsFolder(Wide(L"a\\b\\c")));
  EXPECT_TRUE(setup::CreateFolderChain(Gbk("a\\d\\")));
  EXPECT_TRUE(IsFolder(Wide(L"a\\d")));
}

TEST_F(CreateFolderChainTest, ExistingChainAndEmptyPathAreTrue) {
  ASSERT_TRUE(CreateDirectoryW(Wide(L"x").c_str(), nullptr));
  EXPECT_TRUE(setup::CreateFolderChain(Gbk("x")));
  EXPECT_TRUE(setup::CreateFolderChain(Gbk("x\\")));
  EXPECT_TRUE(setup::CreateFolderChain("C:\\"));
  EXPECT_TRUE(setup::CreateFolderChain(""));
  EXPECT_EQ(Names(scratch_.path()), L"x");
}

TEST_F(CreateFolderChainTest, MissingDriveFailsAtTheRoot) {
  ASSERT_EQ(GetDriveTypeW(L"Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
  EXPECT_FALSE(setup::CreateFolderChain("Q:\\Product\\bin"));
}

TEST_F(CreateFolderChainTest, FileInTheWayFails) {
  ASSERT_TRUE(CreateDirectoryW(Wide(L"p").c_str(), nullptr));
  testing_support::WriteFileBytes(Wide(L"p\\file"), "x");
  EXPECT_FALSE(setup::CreateFolderChain(Gbk("p\\file")));
  EXPECT_FALSE(setup::CreateFolderChain(Gbk("p\\file\\deeper")));
}

TEST_F(CreateFolderChainTest, FailureKeepsTheFoldersCreatedBeforeIt) {
  EXPECT_FALSE(setup::CreateFolderChain(Gbk("q\\r\\bad|name\\s")));
  EXPECT_TRUE(IsFolder(Wide(L"q\\r")));
  EXPECT_EQ(Names(Wide(L"q\\r")), L"");
}

TEST_F(CreateFolderChainTest, GbkNamesBecomeTheirUnicodeNames) {
  EXPECT_TRUE(setup::CreateFolderChain(Gbk("青岚星\\安装 目录")));
  EXPECT_EQ(Names(scratch_.path()), L"青岚星");
  EXPECT_EQ(Names(Wide(L"青岚星")), L"安装 目录");
  EXPECT_TRUE(setup::FolderExists(Gbk("青岚星\\安装 目录")));
}

TEST_F(CreateFolderChainTest, TrailByteBackslashStillGivesTheFolder) {
  // "抃" is 0x92 0x5C: the chain is split after it as after a backslash,
  // and the folder the path names comes out right.
  EXPECT_TRUE(setup::CreateFolderChain(Gbk("抃\\子")));
  EXPECT_TRUE(IsFolder(Wide(L"抃\\子")));
}

TEST_F(CreateFolderChainTest, FolderExistsIgnoresFiles) {
  testing_support::WriteFileBytes(Wide(L"f"), "x");
  EXPECT_FALSE(setup::FolderExists(Gbk("f")));
  EXPECT_FALSE(setup::FolderExists(Gbk("missing")));
  EXPECT_TRUE(setup::FolderExists(win::GbkFromWide(scratch_.path())));
}

}  // namespace
