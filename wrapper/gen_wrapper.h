// The IGenWrapper object that the wrapper hands to the plug-in: Winamp's
// window and module handles, and the plug-in's description, which it also
// writes into Winamp's plug-in list.
#pragma once

#include <atomic>
#include <string>

#include "com/interfaces.h"
#include "winamp_gen.h"

namespace vandrel::wrapper {

class GenWrapper final : public IGenWrapper, public ISupportErrorInfo {
 public:
  // `host` is the struct Winamp reads; its description points into `buffer`.
  GenWrapper(winampGeneralPurposePlugin& host, char* buffer, size_t bufferSize);
  GenWrapper(const GenWrapper&) = delete;
  GenWrapper& operator=(const GenWrapper&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP get_PluginDescription(BSTR* value) override;
  STDMETHODIMP put_PluginDescription(BSTR value) override;
  STDMETHODIMP get_WinAmpWindowHandle(INT_PTR* value) override;
  STDMETHODIMP get_WrapperVersion(LONG* value) override;
  STDMETHODIMP get_WrapperDescription(BSTR* value) override;
  STDMETHODIMP get_WrapperDllHandle(INT_PTR* value) override;

  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

  // Sets the description without a COM call (the text shown before the plug-in runs).
  void SetDescription(const std::wstring& text);

 private:
  ~GenWrapper() = default;

  std::atomic<ULONG> refs_{1};
  winampGeneralPurposePlugin& host_;
  char* buffer_;
  size_t bufferSize_;
  std::wstring description_;
};

// The value of WrapperVersion: major in the high 16 bits, minor in the low.
LONG WrapperVersionNumber();
std::wstring WrapperDescriptionText();

}  // namespace vandrel::wrapper
