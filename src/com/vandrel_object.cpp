#include "com/vandrel_object.h"

#include <memory>
#include <new>

#include "com/errors.h"
#include "com/text.h"
#include "com/wrapper_adapter.h"

namespace vandrel::com {
namespace {

VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// An out-parameter that is missing is the caller's fault, reported like any other.
template <class T>
void RequireOut(T* value) {
  if (value == nullptr) throw vandrel::Error(E_POINTER, L"A result pointer is missing.");
}

}  // namespace

HRESULT VandrelObject::Create(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  auto* created = new (std::nothrow) VandrelObject();
  if (created == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = created->QueryInterface(iid, object);
  created->Release();
  return hr;
}

STDMETHODIMP VandrelObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IZekWinAmpGenPlugin)) {
    *object = static_cast<IZekWinAmpGenPlugin*>(this);
  } else if (IsEqualIID(iid, IID_IVandrel)) {
    *object = static_cast<IVandrel*>(this);
  } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP VandrelObject::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, IID_IZekWinAmpGenPlugin) || IsEqualIID(iid, IID_IVandrel) ? S_OK : S_FALSE;
}

// IZekWinAmpGenPlugin

STDMETHODIMP VandrelObject::Initialize(IGenWrapper* wrapper) {
  return Guarded(IID_IZekWinAmpGenPlugin, [&] {
    if (wrapper == nullptr) throw vandrel::Error(E_POINTER, L"Initialize needs a wrapper object.");
    plugin_.IZekWinAmpGenPlugin_Initialize(std::make_shared<WrapperAdapter>(wrapper));
  });
}

STDMETHODIMP VandrelObject::Configure() {
  return Guarded(IID_IZekWinAmpGenPlugin, [&] { plugin_.IZekWinAmpGenPlugin_Configure(); });
}

STDMETHODIMP VandrelObject::Quit() {
  return Guarded(IID_IZekWinAmpGenPlugin, [&] { plugin_.IZekWinAmpGenPlugin_Quit(); });
}

// IVandrel

STDMETHODIMP VandrelObject::Act() {
  return Guarded(IID_IVandrel, [&] { plugin_.Act(); });
}

STDMETHODIMP VandrelObject::Info() {
  return Guarded(IID_IVandrel, [&] { plugin_.Info(); });
}

STDMETHODIMP VandrelObject::put_Key(LONG newKey) {
  return Guarded(IID_IVandrel, [&] { plugin_.SetKey(newKey); });
}

STDMETHODIMP VandrelObject::get_Key(LONG* value) {
  return Guarded(IID_IVandrel, [&] {
    RequireOut(value);
    *value = plugin_.Key();
  });
}

STDMETHODIMP VandrelObject::get_moveToFolder(VARIANT_BOOL* value) {
  return Guarded(IID_IVandrel, [&] {
    RequireOut(value);
    *value = ToVariantBool(plugin_.moveToFolder());
  });
}

STDMETHODIMP VandrelObject::put_moveToFolder(VARIANT_BOOL theValue) {
  return Guarded(IID_IVandrel, [&] { plugin_.SetmoveToFolder(theValue != VARIANT_FALSE); });
}

STDMETHODIMP VandrelObject::get_savingPlace(BSTR* value) {
  return Guarded(IID_IVandrel, [&] {
    RequireOut(value);
    *value = nullptr;
    *value = ToBstr(plugin_.savingPlace());
  });
}

STDMETHODIMP VandrelObject::put_savingPlace(BSTR newPath) {
  return Guarded(IID_IVandrel, [&] { plugin_.SetsavingPlace(FromBstr(newPath)); });
}

STDMETHODIMP VandrelObject::get_sortingOption(VARIANT_BOOL* value) {
  return Guarded(IID_IVandrel, [&] {
    RequireOut(value);
    *value = ToVariantBool(plugin_.sortingOption());
  });
}

STDMETHODIMP VandrelObject::put_sortingOption(VARIANT_BOOL theValue) {
  return Guarded(IID_IVandrel, [&] { plugin_.SetsortingOption(theValue != VARIANT_FALSE); });
}

STDMETHODIMP VandrelObject::get_createArtistFolder(VARIANT_BOOL* value) {
  return Guarded(IID_IVandrel, [&] {
    RequireOut(value);
    *value = ToVariantBool(plugin_.createArtistFolder());
  });
}

STDMETHODIMP VandrelObject::put_createArtistFolder(VARIANT_BOOL theValue) {
  return Guarded(IID_IVandrel, [&] { plugin_.SetcreateArtistFolder(theValue != VARIANT_FALSE); });
}

STDMETHODIMP VandrelObject::MoveToPlaylistStart() {
  return Guarded(IID_IVandrel, [&] { plugin_.MoveToPlaylistStart(); });
}

STDMETHODIMP VandrelObject::get_modifiers(LONG* value) {
  return Guarded(IID_IVandrel, [&] {
    RequireOut(value);
    *value = plugin_.Modifiers();
  });
}

STDMETHODIMP VandrelObject::put_modifiers(LONG value) {
  return Guarded(IID_IVandrel, [&] { plugin_.SetModifiers(value); });
}

}  // namespace vandrel::com
