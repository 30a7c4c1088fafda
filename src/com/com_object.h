// The one reference-counting base of vandrel.dll's COM objects. A class
// derives from ComObject<its interfaces...> and writes its own QueryInterface.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <atomic>

#include "com/module.h"

namespace vandrel::com {

template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  // A new object starts with one reference, owned by its creator.
  ComObject() { ObjectCreated(); }
  virtual ~ComObject() { ObjectDestroyed(); }

 private:
  std::atomic<ULONG> refs_{1};
};

}  // namespace vandrel::com
