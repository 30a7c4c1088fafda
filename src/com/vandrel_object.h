// The COM object of class Vandrel: hands each call to the plug-in object.
#pragma once

#include "com/com_object.h"
#include "com/interfaces.h"
#include "core/vandrel.h"
#include "platform/win32/win32.h"

namespace vandrel::com {

class VandrelObject final : public ComObject<IZekWinAmpGenPlugin, IVandrel, ISupportErrorInfo> {
 public:
  // Creates an object and asks it for `iid`.
  static HRESULT Create(REFIID iid, void** object);

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;

  // IZekWinAmpGenPlugin
  STDMETHODIMP Initialize(IGenWrapper* wrapper) override;
  STDMETHODIMP Configure() override;
  STDMETHODIMP Quit() override;

  // IVandrel
  STDMETHODIMP Act() override;
  STDMETHODIMP Info() override;
  STDMETHODIMP put_Key(LONG newKey) override;
  STDMETHODIMP get_Key(LONG* value) override;
  STDMETHODIMP get_moveToFolder(VARIANT_BOOL* value) override;
  STDMETHODIMP put_moveToFolder(VARIANT_BOOL theValue) override;
  STDMETHODIMP get_savingPlace(BSTR* value) override;
  STDMETHODIMP put_savingPlace(BSTR newPath) override;
  STDMETHODIMP get_sortingOption(VARIANT_BOOL* value) override;
  STDMETHODIMP put_sortingOption(VARIANT_BOOL theValue) override;
  STDMETHODIMP get_createArtistFolder(VARIANT_BOOL* value) override;
  STDMETHODIMP put_createArtistFolder(VARIANT_BOOL theValue) override;
  STDMETHODIMP MoveToPlaylistStart() override;
  STDMETHODIMP get_modifiers(LONG* value) override;
  STDMETHODIMP put_modifiers(LONG value) override;

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

 private:
  VandrelObject() = default;
  ~VandrelObject() override = default;

  core::Vandrel plugin_;
};

}  // namespace vandrel::com
