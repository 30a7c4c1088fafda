// The settings store against the real profile functions and real files
// (Wine): what the INI class reads and writes, its failure texts, and taking
// a profile's header out of the file.
#include "platform/win32/win32.h"  // <windows.h> without the A/W name macros

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/win32/win32_services.h"
#include "settings/ini_class.h"
#include "settings/profile.h"
#include "support/win/temp_files.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;
using Texts = std::vector<std::wstring>;
namespace win32 = platform::win32;

class ProfileWineTest : public ::testing::Test {
 protected:
  void SetUp() override { settings::SettingsIni().SetFileName(win32::Win32Ui().FromAnsi(path_)); }
  void TearDown() override { settings::SettingsIni().SetFileName(L""); }
  std::string Text() const { return testing::ReadWholeFile(path_); }
  void Write(const std::string& text) { ASSERT_TRUE(testing::WriteWholeFile(path_, text)); }

  platform::ScopedServices services_{
      {nullptr, &win32::Win32Ui(), &win32::Win32Files(), &win32::Win32Profile()}};
  testing::TempFolder folder_;
  std::string path_ = folder_.Path("vandrel.ini");
  settings::IniClass& ini_ = settings::SettingsIni();
};

TEST_F(ProfileWineTest, TwoSavesWriteTheSampleFileAndReadBack) {
  const Texts keys = {L"Key", L"moveToFolder", L"savingPlace", L"sortingOption", L"createArtistFolder"};
  ASSERT_TRUE(ini_.WriteSection(L"rockmix", keys, {L"11", L"1", L"D:\\Music\\Sorted", L"1", L"0"}));
  ASSERT_TRUE(ini_.WriteValue(L"iniConfig", L"LastUsed", L"rockmix"));
  ASSERT_TRUE(ini_.WriteSection(L"trash", keys, {L"20", L"0", L"C:\\", L"0", L"0"}));
  ASSERT_TRUE(ini_.WriteValue(L"iniConfig", L"LastUsed", L"trash"));
  EXPECT_EQ(Text(),
            "[rockmix]\r\nKey=11\r\nmoveToFolder=1\r\nsavingPlace=D:\\Music\\Sorted\r\nsortingOption=1\r\n"
            "createArtistFolder=0\r\n[iniConfig]\r\nLastUsed=trash\r\n[trash]\r\nKey=20\r\nmoveToFolder=0\r\n"
            "savingPlace=C:\\\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n");
  Texts names, readKeys, values;
  ASSERT_TRUE(ini_.Enum_SectionNames(names));
  EXPECT_THAT(names, ElementsAre(L"rockmix", L"iniConfig", L"trash"));
  ASSERT_TRUE(ini_.ReadSection(L"RockMix", readKeys, values));
  EXPECT_EQ(readKeys, keys);
  EXPECT_THAT(values, ElementsAre(L"11", L"1", L"D:\\Music\\Sorted", L"1", L"0"));

  // Deleting a section leaves its header; the header goes only as a whole line.
  Write("[abc]\r\nx=1\r\n[keep]\r\nsavingPlace=D:\\Music\\[abc]\r\n[abc]\r\n[ABC]\r\n[abcd]\r\n[ab]\r\n");
  ASSERT_TRUE(ini_.DeleteSection(L"abc"));
  EXPECT_EQ(Text(),
            "[abc]\r\n[keep]\r\nsavingPlace=D:\\Music\\[abc]\r\n[abc]\r\n[ABC]\r\n[abcd]\r\n[ab]\r\n");
  EXPECT_FALSE(ini_.ReadSection(L"abc", readKeys, values));
  EXPECT_TRUE(settings::RemoveSectionHeader(L"[abc]\r\n").ok());
  EXPECT_EQ(Text(), "[keep]\r\nsavingPlace=D:\\Music\\[abc]\r\n[ABC]\r\n[abcd]\r\n[ab]\r\n");
}

TEST_F(ProfileWineTest, ReadsAndTheirFailures) {
  std::wstring value = L"before";
  Texts names{L"kept"};
  EXPECT_FALSE(ini_.ReadValue(L"S", L"k", value));  // no file yet
  EXPECT_EQ(ini_.LastErrorDescription(), win32::Win32Profile().FormatMessage(2));
  EXPECT_FALSE(ini_.Enum_SectionNames(names));
  EXPECT_THAT(names, ElementsAre(L"kept"));

  // 40 entries of 1000 characters: 32 fit whole, the 33rd is cut and dropped.
  std::string big = "[S]\r\nempty=\r\nlong=" + std::string(300, 'x') + "\r\na=b=c\r\n[big]\r\n";
  for (int i = 0; i < 40; ++i) big += "k" + std::to_string(100 + i) + "=" + std::string(995, 'v') + "\r\n";
  Write(big);
  for (const wchar_t* key : {L"empty", L"missing"}) {
    EXPECT_FALSE(ini_.ReadValue(L"S", key, value)) << key;
    EXPECT_EQ(ini_.LastErrorDescription(), L"An unknown error has occured") << key;
  }
  EXPECT_EQ(value, L"before");
  ASSERT_TRUE(ini_.ReadValue(L"s", L"LONG", value));
  EXPECT_EQ(value, std::wstring(254, L'x'));
  Texts keys, values;
  ASSERT_TRUE(ini_.ReadSection(L"s", keys, values));
  EXPECT_THAT(keys, ElementsAre(L"empty", L"long", L"a"));
  EXPECT_EQ(values[2], L"b=c");
  ASSERT_TRUE(ini_.ReadSection(L"big", keys, values));
  ASSERT_EQ(keys.size(), 32u);
  EXPECT_EQ(keys.back(), L"k131");
  EXPECT_EQ(values.back(), std::wstring(995, L'v'));
  // A single entry longer than the buffer is taken as far as it came.
  Write("[one]\r\nk=" + std::string(40000, 'w') + "\r\n");
  ASSERT_TRUE(ini_.ReadSection(L"one", keys, values));
  EXPECT_THAT(keys, ElementsAre(L"k"));
  EXPECT_EQ(values[0], std::wstring(32763, L'w'));
}

TEST_F(ProfileWineTest, NoFileNameOrUnequalListsWriteNothing) {
  EXPECT_FALSE(ini_.WriteSection(L"p", {L"1", L"2", L"3", L"4", L"5"}, {L"a", L"b", L"c", L"d"}));
  EXPECT_EQ(ini_.LastErrorDescription(), L"Key array and Value array must be of the same size");
  settings::IniClass blank;
  std::wstring value = L"v";
  Texts list{L"k"};
  EXPECT_FALSE(blank.WriteValue(L"s", L"k", L"v") || blank.WriteSection(L"s", {L"k"}, {L"v"}) ||
               blank.DeleteSection(L"s") || blank.ReadValue(L"s", L"k", value) ||
               blank.ReadSection(L"s", list, list) || blank.Enum_SectionNames(list));
  EXPECT_EQ(blank.LastErrorDescription(), L"No filename specified");
  EXPECT_EQ(value, L"v");
}

TEST_F(ProfileWineTest, AFileHeldByAnotherProgramStaysWhole) {
  const std::string text = "[abc]\r\nk=1\r\n";
  Write(text);
  HANDLE held = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const bool written = ini_.WriteValue(L"abc", L"k", L"2");
  const platform::OpResult removed = settings::RemoveSectionHeader(L"[abc]\r\n");
  CloseHandle(held);
  EXPECT_FALSE(written);
  EXPECT_EQ(ini_.LastErrorDescription(), win32::Win32Profile().FormatMessage(32));
  EXPECT_EQ(removed.code, 32u);
  EXPECT_THAT(settings::HeaderNotRemovedMessage(L"abc", removed), ::testing::EndsWith(removed.message));
  EXPECT_EQ(Text(), text);
}

TEST_F(ProfileWineTest, TheActiveProfilesAreFoundHoweverTheFileSpellsThem) {
  const std::string entries =
      "Key=1\r\nmoveToFolder=0\r\nsavingPlace=\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n";
  Write("[iniConfig]\r\nLastUsed=a\r\n[ Keep Mix ]\r\n" + entries +
        "modifiers=3\r\n ALWAYSACTIVE = 1\r\n[off]\r\n" + entries +
        "modifiers=3\r\nalwaysActive=0\r\n[old]\r\n" + entries + "[tab]\r\n" + entries +
        "modifiers=3\r\nalwaysActive=1");
  std::vector<std::wstring> names;
  for (const settings::Profile& profile : settings::ReadActiveProfiles()) names.push_back(profile.name);
  EXPECT_THAT(names, ElementsAre(L"Keep Mix", L"tab"));
}

}  // namespace
}  // namespace vandrel
