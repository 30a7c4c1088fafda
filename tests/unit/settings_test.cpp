// The cleaning of profile and folder names. The INI class is tested against
// the real profile functions in tests/win/profile_test.cpp.
#include <gtest/gtest.h>

#include "settings/profile.h"
#include "support/fakes.h"

namespace vandrel::settings {
namespace {

TEST(CleanName, RemovesReservedCharactersAndNames) {
  testing::FakeUi ui;
  platform::ScopedServices services({nullptr, &ui, nullptr, nullptr});
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"My Rock-Mix", L"myrockmix"},
      {L"\u00DCber/Pop 100%", L"berpop100"},
      {L"\"Jazz\" 'n' `Blues\u00B4 {A}\\B\u00DF\u00E4\u00F6\u00FC[]", L"jazznbluesab"},
      {L"v1.0_(Live)", L"v1.0_(live)"},
      {L"INIconfigRock iniconfig", L"rock"},
      {L"iniINICONFIGconfig", L""},  // taking one out must not leave another behind
  };
  for (const auto& [input, expected] : cases) {
    std::wstring text = input;
    EXPECT_EQ(CleanName(text), expected) << input;
    EXPECT_EQ(text, expected) << input;
  }
}

}  // namespace
}  // namespace vandrel::settings
