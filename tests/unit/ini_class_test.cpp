// The class's own logic over the in-memory profile functions; the edge cases
// against the real ones are in tests/win/profile_test.cpp.
#include "settings/ini_class.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/fake_profile.h"

namespace vandrel::settings {
namespace {

using ::testing::ElementsAre;

constexpr wchar_t kFile[] = L"C:\\Plugins\\vandrel.ini";

class IniClassTest : public ::testing::Test {
 protected:
  IniClassTest() : services_(Make(fake_)) { ini_.SetFileName(kFile); }
  static platform::Services Make(testing::FakeProfile& fake) {
    platform::Services s;
    s.profile = &fake;
    return s;
  }
  testing::FakeProfile fake_;
  platform::ScopedServices services_;
  IniClass ini_;
};

TEST_F(IniClassTest, EntriesWithoutEqualsSignOrKeyAreRead) {
  fake_.SetText(kFile, L"[p]\r\nKey=3\r\nlonely\r\n=v\r\n[q]\r\nx=1\r\n");
  std::vector<std::wstring> keys{L"old"}, values{L"old", L"older"};
  ASSERT_TRUE(ini_.ReadSection(L"P", keys, values));
  EXPECT_THAT(keys, ElementsAre(L"Key", L"lonely", L""));
  EXPECT_THAT(values, ElementsAre(L"3", L"", L"v"));
}

TEST_F(IniClassTest, ReadSectionDropsTheEntryCutByAFullBuffer) {
  // 40 entries of 1000 characters: 32 fit whole, the 33rd is cut.
  std::wstring text = L"[big]\r\n";
  for (int i = 0; i < 40; ++i)
    text += L"k" + std::to_wstring(100 + i) + L"=" + std::wstring(995, L'v') + L"\r\n";
  fake_.SetText(kFile, text);
  std::vector<std::wstring> keys, values;
  ASSERT_TRUE(ini_.ReadSection(L"big", keys, values));
  ASSERT_EQ(keys.size(), 32u);
  EXPECT_EQ(keys.back(), L"k131");
  EXPECT_EQ(values.back(), std::wstring(995, L'v'));
}

TEST_F(IniClassTest, RefusedWritesReportTheSystemText) {
  fake_.writeFailure = 5;
  EXPECT_FALSE(ini_.WriteValue(L"s", L"k", L"v"));
  EXPECT_EQ(ini_.LastErrorDescription(), L"Access denied.\r\n");
  fake_.writeFailure = 12345;  // no text for this code
  EXPECT_FALSE(ini_.DeleteSection(L"s"));
  EXPECT_EQ(ini_.LastErrorDescription(), L"");
  EXPECT_FALSE(fake_.Exists(kFile));
}

}  // namespace
}  // namespace vandrel::settings
