// Automation argument types: VARIANT_BOOL, DATE and a VARIANT that owns what
// it holds (like ATL's CComVariant). The automation interfaces use these
// exactly where SourceSafe's interfaces take VARIANT and VARIANT_BOOL.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com.h"
#include "platform/date_type.h"

using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;


using VARTYPE = std::uint16_t;
constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_DATE = 7;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_UNKNOWN = 13;

class Variant {
 public:
  Variant() = default;
  explicit Variant(LONG value) : vt(VT_I4), lVal(value) {}
  explicit Variant(std::wstring text) : vt(VT_BSTR), bstrVal(std::move(text)) {}
  explicit Variant(const wchar_t* text) : vt(VT_BSTR), bstrVal(text) {}
  // Takes a further reference to the object.
  explicit Variant(IUnknown* object, VARTYPE type = VT_UNKNOWN) : vt(type), punkVal(object) {
    if (punkVal) punkVal->AddRef();
  }
  // A date (VT_DATE); a factory, as a double would convert from numbers too readily.
  static Variant fromDate(DATE value) {
    Variant v;
    v.vt = VT_DATE;
    v.date = value;
    return v;
  }
  Variant(const Variant& other) { copyFrom(other); }
  Variant& operator=(const Variant& other) {
    if (this != &other) {
      clear();
      copyFrom(other);
    }
    return *this;
  }
  ~Variant() { clear(); }

  // VariantClear: releases what the variant holds and makes it empty.
  void clear() {
    if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && punkVal) punkVal->Release();
    vt = VT_EMPTY;
    lVal = 0;
    bstrVal.clear();
    punkVal = nullptr;
  }

  VARTYPE vt = VT_EMPTY;
  LONG lVal = 0;
  double date = 0;
  std::wstring bstrVal;
  IUnknown* punkVal = nullptr;

 private:
  void copyFrom(const Variant& other) {
    vt = other.vt;
    lVal = other.lVal;
    date = other.date;
    bstrVal = other.bstrVal;
    punkVal = other.punkVal;
    if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && punkVal) punkVal->AddRef();
  }
};
using VARIANT = Variant;

// The enumerator that automation collections hand out from _NewEnum.
struct IEnumVARIANT : IUnknown {
  static constexpr IID iid() { return IID_IEnumVARIANT; }
  // Fills up to count elements; S_OK when all were filled, S_FALSE when fewer.
  virtual HRESULT Next(ULONG count, VARIANT* elements, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;

 protected:
  ~IEnumVARIANT() = default;
};
