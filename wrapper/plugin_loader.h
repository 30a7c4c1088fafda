// Creating the plug-in object: from vandrel.dll beside this DLL, or through
// the class's registration when that file is missing.
#pragma once

#include <wrl/client.h>

#include <string>

#include "com/interfaces.h"

namespace vandrel::wrapper {

// Owns the load reference on vandrel.dll when the wrapper loaded it itself.
// Unless told that its own use ended cleanly, it gives the reference back
// only when the library says it can be unloaded, so a leaked object or a
// window still hooked never outlives its code.
class PluginLibrary {
 public:
  PluginLibrary() = default;
  ~PluginLibrary() { Free(false); }
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  HMODULE Load(const std::wstring& path);
  // `cleanlyDone`: this wrapper's object is gone and its Quit succeeded, so
  // whatever else keeps the library busy holds a load reference of its own.
  void Free(bool cleanlyDone);

 private:
  HMODULE module_ = nullptr;
};

// A failed creation: the number and a text for the user.
struct Failure {
  HRESULT hr = S_OK;
  std::wstring description;
};

// The folder of the module, with its trailing '\\'; empty when unknown.
std::wstring ModuleFolder(HMODULE module);

// Creates the plug-in object for the wrapper module `self`.
Failure CreatePlugin(HMODULE self, PluginLibrary& library,
                     Microsoft::WRL::ComPtr<IZekWinAmpGenPlugin>& plugin);

// The description of a failed call on `object` through `iid` (its IErrorInfo,
// or the system's text for the number).
std::wstring FailureDescription(IUnknown* object, REFIID iid, HRESULT hr);

}  // namespace vandrel::wrapper
