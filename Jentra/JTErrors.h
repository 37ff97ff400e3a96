// Error reporting: result codes, their names, the "Error" box that names a
// failing result with its source file and line, and the fatal and warning
// boxes whose captions come from the translation table.
#pragma once

#include <cstdint>

using HRESULT = int32_t;

#ifndef SUCCEEDED
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#endif
#ifndef FAILED
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#endif

// Common results the engine returns and names.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
inline constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// The engine's own codes: severity bit set, facility 0x666.
inline constexpr HRESULT JT_UNSUPPORTED_ADAPTER = static_cast<HRESULT>(0x86660000u);
inline constexpr HRESULT JT_UNSUPPORTED_MODE = static_cast<HRESULT>(0x86660001u);
inline constexpr HRESULT JT_FILE_NOT_FOUND = static_cast<HRESULT>(0x86660002u);

// Shows the "Error" box with "File: %s\nLine: %d\nhr: %s" and the name of hr,
// then returns: callers call it on failure only.
void CheckHr(HRESULT hr, const char* file, unsigned line);

// Shows the fatal box (caption: translated text 1; message: text, and extra
// on a line of its own when given) and ends the program with a non-zero
// exit status. Never returns.
[[noreturn]] void FatalErrorBox(const char* text, const char* extra);

// Shows the warning box (caption: translated text 3) with OK and Cancel;
// returns when the player chose OK, ends the program otherwise.
void WarningBox(const char* text, const char* extra);

// The name of a result code: the engine's names for facility 0x666 (any
// other code of that facility is "Unknown"), else the name of a common
// result or graphics-device code, else "Unknown".
const char* DirectXErrorName(HRESULT hr);

// Writes the name of a DirectDraw result ("DD_OK", "DDERR_..."), or
// "Unknown Error #<low 16 bits>", into buffer, cut to size - 1 characters.
void DirectDrawErrorName(HRESULT hr, char* buffer, unsigned size);

// Around the fatal and warning boxes the game gives up its input before the
// box (it goes inactive, the pointer is released and shown) and, after a
// warning answered with OK, takes it back. A hook, when set, is called in
// place of that with false before the box and true after an OK.
using JTBoxFocusHook = void (*)(bool active);
void JTSetBoxFocusHook(JTBoxFocusHook hook);

// Reports a failed result with the caller's file and line and goes on.
#define JT_CHECK_HR(expression)                                                                    \
    do {                                                                                           \
        const HRESULT jtCheckedResult = (expression);                                              \
        if (FAILED(jtCheckedResult)) CheckHr(jtCheckedResult, __FILE__, __LINE__);                 \
    } while (0)
