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

TEST_F(IniClassTest, TwoSavesWriteTheSampleFile) {
  ASSERT_TRUE(ini_.WriteSection(
      L"rockmix", {L"Key", L"moveToFolder", L"savingPlace", L"sortingOption", L"createArtistFolder"},
      {L"11", L"1", L"D:\\Music\\Sorted", L"1", L"0"}));
  ASSERT_TRUE(ini_.WriteValue(L"iniConfig", L"LastUsed", L"rockmix"));
  ASSERT_TRUE(ini_.WriteSection(
      L"trash", {L"Key", L"moveToFolder", L"savingPlace", L"sortingOption", L"createArtistFolder"},
      {L"20", L"0", L"C:\\", L"0", L"0"}));
  ASSERT_TRUE(ini_.WriteValue(L"iniConfig", L"LastUsed", L"trash"));
  EXPECT_EQ(
      fake_.Text(kFile),
      L"[rockmix]\r\nKey=11\r\nmoveToFolder=1\r\nsavingPlace=D:\\Music\\Sorted\r\nsortingOption=1\r\n"
      L"createArtistFolder=0\r\n[iniConfig]\r\nLastUsed=trash\r\n[trash]\r\nKey=20\r\nmoveToFolder=0\r\n"
      L"savingPlace=C:\\\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n");
  std::vector<std::wstring> names;
  ASSERT_TRUE(ini_.Enum_SectionNames(names));
  EXPECT_THAT(names, ElementsAre(L"rockmix", L"iniConfig", L"trash"));
}

TEST_F(IniClassTest, ReadValueFailsAndKeepsTheValueForEmptyMissingAndAbsent) {
  std::wstring value = L"before";
  EXPECT_FALSE(ini_.ReadValue(L"s", L"k", value));
  EXPECT_EQ(ini_.LastErrorDescription(), L"File not found.\r\n");
  fake_.SetText(kFile, L"[S]\r\nempty=\r\nlong=" + std::wstring(300, L'x') + L"\r\n");
  for (const wchar_t* key : {L"empty", L"missing"}) {
    EXPECT_FALSE(ini_.ReadValue(L"s", key, value));
    EXPECT_EQ(ini_.LastErrorDescription(), L"An unknown error has occured");
  }
  EXPECT_FALSE(ini_.ReadValue(L"nosection", L"long", value));
  EXPECT_EQ(value, L"before");
  ASSERT_TRUE(ini_.ReadValue(L"S", L"LONG", value));
  EXPECT_EQ(value, std::wstring(254, L'x'));
  // A success keeps the earlier failure's text.
  EXPECT_EQ(ini_.LastErrorDescription(), L"An unknown error has occured");
}

TEST_F(IniClassTest, ReadSectionSplitsAtTheFirstEqualsSign) {
  fake_.SetText(kFile, L"[p]\r\nKey=3\r\na=b=c\r\nlonely\r\n=v\r\n[empty]\r\n[q]\r\nx=1\r\n");
  std::vector<std::wstring> keys{L"old"}, values{L"old", L"older"};
  ASSERT_TRUE(ini_.ReadSection(L"P", keys, values));
  EXPECT_THAT(keys, ElementsAre(L"Key", L"a", L"lonely", L""));
  EXPECT_THAT(values, ElementsAre(L"3", L"b=c", L"", L"v"));

  keys = {L"k"};
  values = {L"v"};
  EXPECT_FALSE(ini_.ReadSection(L"empty", keys, values));
  EXPECT_FALSE(ini_.ReadSection(L"missing", keys, values));
  EXPECT_EQ(ini_.LastErrorDescription(), L"An unknown error has occured");
  EXPECT_THAT(keys, ElementsAre(L"k"));
  EXPECT_THAT(values, ElementsAre(L"v"));
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

TEST_F(IniClassTest, SectionNamesInFileOrder) {
  std::vector<std::wstring> names{L"kept"};
  EXPECT_FALSE(ini_.Enum_SectionNames(names));
  EXPECT_EQ(ini_.LastErrorDescription(), L"File not found.\r\n");
  EXPECT_THAT(names, ElementsAre(L"kept"));
  fake_.SetText(kFile, L"[B]\r\nx=1\r\n[A]\r\n");
  ASSERT_TRUE(ini_.Enum_SectionNames(names));
  EXPECT_THAT(names, ElementsAre(L"B", L"A"));
}

TEST_F(IniClassTest, WriteSectionWithUnequalListsWritesNothing) {
  EXPECT_FALSE(ini_.WriteSection(L"p", {L"1", L"2", L"3", L"4", L"5"}, {L"a", L"b", L"c", L"d"}));
  EXPECT_EQ(ini_.LastErrorDescription(), L"Key array and Value array must be of the same size");
  EXPECT_FALSE(fake_.Exists(kFile));
}

TEST_F(IniClassTest, DeleteSectionKeepsTheHeader) {
  fake_.SetText(kFile, L"[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n");
  ASSERT_TRUE(ini_.DeleteSection(L"A"));
  EXPECT_EQ(fake_.Text(kFile), L"[a]\r\n[b]\r\nz=3\r\n");
  std::vector<std::wstring> names, keys, values;
  ASSERT_TRUE(ini_.Enum_SectionNames(names));
  EXPECT_THAT(names, ElementsAre(L"a", L"b"));
  EXPECT_FALSE(ini_.ReadSection(L"a", keys, values));
}

TEST_F(IniClassTest, EmptyFileNameFailsEveryOperationWithoutTouchingAFile) {
  IniClass blank;
  std::wstring value = L"v";
  std::vector<std::wstring> keys{L"k"}, values{L"v"};
  const std::vector<bool> results = {
      blank.ReadValue(L"s", L"k", value), blank.ReadSection(L"s", keys, values),
      blank.WriteValue(L"s", L"k", L"v"), blank.WriteSection(L"s", {L"k"}, {L"v"}),
      blank.Enum_SectionNames(keys),      blank.DeleteSection(L"s")};
  EXPECT_THAT(results, ::testing::Each(false));
  EXPECT_EQ(blank.LastErrorDescription(), L"No filename specified");
  EXPECT_EQ(value, L"v");
  EXPECT_THAT(keys, ElementsAre(L"k"));
  EXPECT_TRUE(fake_.files.empty());
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

TEST(SettingsIniTest, IsOneSharedObject) {
  SettingsIni().SetFileName(L"x.ini");
  EXPECT_EQ(&SettingsIni(), &SettingsIni());
  EXPECT_EQ(SettingsIni().FileName(), L"x.ini");
  SettingsIni().SetFileName(L"");
}

}  // namespace
}  // namespace vandrel::settings
