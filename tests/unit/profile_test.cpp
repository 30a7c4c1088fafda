#include "settings/profile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "settings/ini_class.h"
#include "support/fake_files.h"
#include "support/fake_profile.h"
#include "support/fake_ui.h"

namespace vandrel::settings {
namespace {

using ::testing::HasSubstr;

constexpr wchar_t kFile[] = L"C:\\Plugins\\vandrel.ini";

class ProfileTest : public ::testing::Test {
 protected:
  ProfileTest() : services_(Make(ui_, files_, profile_)) {
    files_.AddFolder(L"C:\\Plugins");
    SettingsIni().SetFileName(kFile);
  }
  ~ProfileTest() override { SettingsIni().SetFileName(L""); }
  static platform::Services Make(testing::FakeUi& ui, testing::FakeFileSystem& files,
                                 testing::FakeProfile& profile) {
    platform::Services s;
    s.ui = &ui;
    s.files = &files;
    s.profile = &profile;
    return s;
  }

  testing::FakeUi ui_;
  testing::FakeFileSystem files_;
  testing::FakeProfile profile_{files_};  // the profile functions see the same files
  platform::ScopedServices services_;
};

TEST_F(ProfileTest, CleanNameRemovesReservedCharactersAndNames) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"My Rock-Mix", L"myrockmix"},
      {L"\u00DCber/Pop 100%", L"berpop100"},
      {L" [IniConfig] ", L""},
      {L"\"Jazz\" 'n' `Blues\u00B4 {A}\\B\u00DF\u00E4\u00F6\u00FC", L"jazznbluesab"},
      {L"v1.0_(Live)", L"v1.0_(live)"},
      {L"INIconfigRock iniconfig", L"rock"},
      // Taking one reserved name out must not leave another behind.
      {L"iniINICONFIGconfig", L""},
      {L"ini-config", L""},
  };
  for (const auto& [input, expected] : cases) {
    std::wstring text = input;
    EXPECT_EQ(CleanName(text), expected) << input;
    EXPECT_EQ(text, expected) << input;
  }
}

TEST_F(ProfileTest, RemoveSectionHeaderTakesOnlyWholeHeaderLines) {
  files_.AddFile(kFile,
                 "[abc]\r\nKey=1\r\n[other]\r\nsavingPlace=D:\\Music\\[abc]\r\n[ABC]\r\nx[abc]\r\n"
                 "[abc]\r\n[abc]\r\nk=2\r\n[abc]");
  platform::OpResult result = RemoveSectionHeader(L"[abc]\r\n");
  EXPECT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(files_.Contents(kFile),
            "Key=1\r\n[other]\r\nsavingPlace=D:\\Music\\[abc]\r\n[ABC]\r\nx[abc]\r\nk=2\r\n[abc]");
}

TEST_F(ProfileTest, RemoveSectionHeaderKeepsTheFileWholeOnFailure) {
  const std::string text = "[abc]\r\nk=1\r\n";
  files_.AddFile(kFile, text);
  files_.replaceFailure = testing::kErrAccessDenied;
  platform::OpResult result = RemoveSectionHeader(L"[abc]\r\n");
  EXPECT_EQ(result.code, testing::kErrAccessDenied);
  EXPECT_EQ(files_.Contents(kFile), text);

  files_.replaceFailure = 0;
  files_.SetInUse(kFile);
  result = RemoveSectionHeader(L"[abc]\r\n");
  EXPECT_EQ(result.code, testing::kErrSharingViolation);
  EXPECT_EQ(files_.Contents(kFile), text);
  const std::wstring message = HeaderNotRemovedMessage(L"abc", result);
  EXPECT_THAT(message, HasSubstr(L"\"abc\""));
  EXPECT_THAT(message, HasSubstr(kFile));
  EXPECT_THAT(message, HasSubstr(testing::SystemText(testing::kErrSharingViolation).substr(0, 10)));

  EXPECT_THAT(HeaderNotRemovedMessage(L"abc", {5, L""}), HasSubstr(L"Error 5."));
  EXPECT_EQ(RemoveSectionHeader(L"[abc]\r\n").code, testing::kErrSharingViolation);
  SettingsIni().SetFileName(L"C:\\Plugins\\missing.ini");
  EXPECT_EQ(RemoveSectionHeader(L"[abc]\r\n").code, testing::kErrFileNotFound);
  EXPECT_FALSE(files_.Exists(L"C:\\Plugins\\missing.ini"));
}

}  // namespace
}  // namespace vandrel::settings
