// Message boxes with scripted answers and a record of what was shown, and
// lower-casing by the system's rules for Latin-1.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vandrel::testing {

struct ShownBox {
  std::wstring text;
  std::wstring title;
  platform::Icon icon;
  platform::Buttons buttons;
};

class FakeUi : public platform::UserInterface {
 public:
  // Answers given to OK/Cancel boxes, in order; Ok when none is queued.
  std::deque<platform::Answer> answers;
  std::vector<ShownBox> shown;

  platform::Answer MessageBox(const std::wstring& text, const std::wstring& title, platform::Icon icon,
                              platform::Buttons buttons) override;
  std::wstring Lower(const std::wstring& text) override;
  // Latin-1 stands in for the ANSI code page.
  std::wstring FromAnsi(const std::string& bytes) override;
  std::string ToAnsi(const std::wstring& text) override;
};

}  // namespace vandrel::testing
