// The two COM interfaces between gen_vandrel.dll and vandrel.dll, the class
// Vandrel and its own interface. This is the only header the two DLLs share.
#pragma once

#include <oaidl.h>
#include <objbase.h>
#include <windows.h>

// The wrapper object that the general-purpose plug-in hands to the plug-in.
MIDL_INTERFACE("893B4393-C12B-46A6-8AFC-A8D5E75211BA")
IGenWrapper : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_PluginDescription(BSTR * value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_PluginDescription(BSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WinAmpWindowHandle(INT_PTR * value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WrapperVersion(LONG * value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WrapperDescription(BSTR * value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WrapperDllHandle(INT_PTR * value) = 0;
};

// What the wrapper drives: Initialize once, Configure any number of times, Quit once.
MIDL_INTERFACE("32F860C1-A604-4CF0-853B-91B65A3F1EFA")
IZekWinAmpGenPlugin : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Initialize(IGenWrapper * wrapper) = 0;
  virtual HRESULT STDMETHODCALLTYPE Configure() = 0;
  virtual HRESULT STDMETHODCALLTYPE Quit() = 0;
};

// The plug-in object's own interface.
MIDL_INTERFACE("20AF1010-4000-4D99-ACC4-D994A2B875B3")
IVandrel : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Act() = 0;
  virtual HRESULT STDMETHODCALLTYPE Info() = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Key(LONG newKey) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Key(LONG * value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_moveToFolder(VARIANT_BOOL * value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_moveToFolder(VARIANT_BOOL theValue) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_savingPlace(BSTR * value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_savingPlace(BSTR newPath) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_sortingOption(VARIANT_BOOL * value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_sortingOption(VARIANT_BOOL theValue) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_createArtistFolder(VARIANT_BOOL * value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_createArtistFolder(VARIANT_BOOL theValue) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveToPlaylistStart() = 0;
  // The hotkey's modifier bits: 1 Alt, 2 Ctrl, 4 Shift, 8 Windows key.
  virtual HRESULT STDMETHODCALLTYPE get_modifiers(LONG * value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_modifiers(LONG value) = 0;
};

// __uuidof for MinGW.
__CRT_UUID_DECL(IGenWrapper, 0x893B4393, 0xC12B, 0x46A6, 0x8A, 0xFC, 0xA8, 0xD5, 0xE7, 0x52, 0x11, 0xBA)
__CRT_UUID_DECL(IZekWinAmpGenPlugin, 0x32F860C1, 0xA604, 0x4CF0, 0x85, 0x3B, 0x91, 0xB6, 0x5A, 0x3F, 0x1E,
                0xFA)
__CRT_UUID_DECL(IVandrel, 0x20AF1010, 0x4000, 0x4D99, 0xAC, 0xC4, 0xD9, 0x94, 0xA2, 0xB8, 0x75, 0xB3)

inline constexpr IID IID_IGenWrapper = {
    0x893B4393, 0xC12B, 0x46A6, {0x8A, 0xFC, 0xA8, 0xD5, 0xE7, 0x52, 0x11, 0xBA}};
inline constexpr IID IID_IZekWinAmpGenPlugin = {
    0x32F860C1, 0xA604, 0x4CF0, {0x85, 0x3B, 0x91, 0xB6, 0x5A, 0x3F, 0x1E, 0xFA}};
inline constexpr IID IID_IVandrel = {
    0x20AF1010, 0x4000, 0x4D99, {0xAC, 0xC4, 0xD9, 0x94, 0xA2, 0xB8, 0x75, 0xB3}};

// The class Vandrel in vandrel.dll, ProgID "Vandrel.Vandrel".
inline constexpr CLSID CLSID_Vandrel = {
    0xE16D48E1, 0x4FCC, 0x4650, {0x82, 0x67, 0xAC, 0xFD, 0x4E, 0xD0, 0x7B, 0xD2}};
inline constexpr wchar_t kVandrelClsidText[] = L"{E16D48E1-4FCC-4650-8267-ACFD4ED07BD2}";
inline constexpr wchar_t kVandrelProgId[] = L"Vandrel.Vandrel";

// The error Initialize returns for a second plug-in instance.
inline constexpr HRESULT kVandrelAlreadyInstance = static_cast<HRESULT>(0x80040001L);
