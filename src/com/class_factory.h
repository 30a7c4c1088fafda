// The class factory of class Vandrel.
#pragma once

#include "com/com_object.h"

namespace vandrel::com {

class ClassFactory final : public ComObject<IClassFactory> {
 public:
  static HRESULT Create(REFIID iid, void** object);

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  ClassFactory() = default;
  ~ClassFactory() override = default;
};

}  // namespace vandrel::com
