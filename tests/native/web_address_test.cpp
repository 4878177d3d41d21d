#include "app/web_address.h"

#include <gtest/gtest.h>

#include <string>

namespace setup {
namespace {

constexpr char kSite[] = "http://www.example.com/";

TEST(TutorialAddress, RemovesEveryFamilyPrefix) {
  struct Case {
    std::string productName, expected;
  } cases[] = {
      {"TAVRO-X", "http://www.example.com/X-jiaocheng.asp"},
      {"Locker", "http://www.example.com/Locker-jiaocheng.asp"},
      {"TAVRO-TAVRO-X", "http://www.example.com/X-jiaocheng.asp"},
      {"A TAVRO-B TAVRO-", "http://www.example.com/A B -jiaocheng.asp"},
      {"tavro-X", "http://www.example.com/tavro-X-jiaocheng.asp"},
      // One pass over the name: what a removal joins is not searched again.
      {"TATAVRO-VRO-X", "http://www.example.com/TAVRO-X-jiaocheng.asp"},
      {"", "http://www.example.com/-jiaocheng.asp"},
  };
  for (const Case& c : cases) EXPECT_EQ(TutorialAddress(kSite, c.productName), c.expected) << c.productName;
}

TEST(LicenseAddress, AppendsThePage) {
  EXPECT_EQ(LicenseAddress(kSite), "http://www.example.com/license.asp");
}

TEST(BrowserPathFromCommand, TakesTheFirstQuotedText) {
  struct Case {
    std::string command, expected;
  } cases[] = {
      {"\"C:\\Program Files\\Browser\\b.exe\" -nohome \"%1\"", "C:\\Program Files\\Browser\\b.exe"},
      {"\"C:\\b.exe\"", "C:\\b.exe"},
      {"x \"C:\\b.exe\" y", "C:\\b.exe"},
      {"C:\\b.exe %1", ""},
      {"\"C:\\b.exe %1", ""},
      {"\"\" %1", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(BrowserPathFromCommand(c.command), c.expected) << c.command;
}

TEST(ConnectionAllowsTutorial, NeedsModemLanOrProxy) {
  struct Case {
    bool connected;
    uint32_t flags;
    bool expected;
  } cases[] = {
      {true, 1, true},    {true, 2, true},      {true, 4, true},   {true, 2 | 4, true},
      {true, 0, false},   {true, 0x20, false},  {true, 0x28, false}, {false, 2, false},
      {true, 0x40 | 1, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConnectionAllowsTutorial(c.connected, c.flags), c.expected)
        << "connected=" << c.connected << " flags=" << c.flags;
  }
}

}  // namespace
}  // namespace setup
