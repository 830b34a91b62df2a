// Status codes in the shape of Windows HRESULTs: a signed 32-bit value,
// negative for failure.
//
// The integer names are the very types Windows gives them (long is 32 bits
// there), so that a *_win.cc file can include <windows.h> after this header.
// It must come after: <windows.h> makes S_OK, E_FAIL, SUCCEEDED and FAILED
// macros, which would break the declarations below.
#pragma once

#include <cstdint>
#include <type_traits>

using LONG = std::conditional_t<sizeof(long) == 4, long, std::int32_t>;
using ULONG = std::conditional_t<sizeof(long) == 4, unsigned long, std::uint32_t>;
using DWORD = ULONG;
using HRESULT = LONG;

constexpr HRESULT makeHresult(std::uint32_t bits) { return static_cast<HRESULT>(bits); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = makeHresult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = makeHresult(0x80004002u);
constexpr HRESULT E_POINTER = makeHresult(0x80004003u);
constexpr HRESULT E_FAIL = makeHresult(0x80004005u);
constexpr HRESULT E_UNEXPECTED = makeHresult(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = makeHresult(0x80070005u);
constexpr HRESULT E_OUTOFMEMORY = makeHresult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = makeHresult(0x80070057u);
constexpr HRESULT DISP_E_BADINDEX = makeHresult(0x8002000Bu);
constexpr HRESULT DISP_E_TYPEMISMATCH = makeHresult(0x80020005u);
constexpr HRESULT REGDB_E_CLASSNOTREG = makeHresult(0x80040154u);
constexpr HRESULT CO_E_CLASSSTRING = makeHresult(0x800401F3u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
