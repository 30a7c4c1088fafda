// iniCLASS: the only path to the settings file. Every operation reports
// success as a Boolean and leaves a failure text in LastErrorDescription.
#pragma once

#include <string>
#include <vector>

namespace vandrel::settings {

class IniClass {
 public:
  const std::wstring& FileName() const { return fileName_; }
  void SetFileName(const std::wstring& New_FileName) { fileName_ = New_FileName; }
  const std::wstring& LastErrorDescription() const { return lastErrorDescription_; }

  bool ReadValue(const std::wstring& psSection, const std::wstring& psKey, std::wstring& psValue);
  bool ReadSection(const std::wstring& psSection, std::vector<std::wstring>& psKeys,
                   std::vector<std::wstring>& psValues);
  bool WriteValue(const std::wstring& psSection, const std::wstring& psKey, const std::wstring& psValue);
  bool WriteSection(const std::wstring& psSection, const std::vector<std::wstring>& psKeys,
                    const std::vector<std::wstring>& psValues);
  bool Enum_SectionNames(std::vector<std::wstring>& psSectionNames);
  bool DeleteSection(const std::wstring& psSection);

 private:
  bool HasFileName();
  void CaptureLastError();

  std::wstring fileName_;
  std::wstring lastErrorDescription_;
};

// The module-wide settings file object, created on first use.
IniClass& SettingsIni();

}  // namespace vandrel::settings
