#pragma once
// 8-bit text of a code page to UTF-16 and back.
#include <windows.h>

#include <string>
#include <string_view>

namespace zq {

std::wstring ToWide(std::string_view text, UINT codePage);
std::string FromWide(std::wstring_view text, UINT codePage);

// The ANSI code page (1252 for this program's users).
inline std::wstring AnsiToWide(const std::string& text) { return ToWide(text, CP_ACP); }
// A NUL-terminated text; "" for null.
inline std::string WideToAnsi(const wchar_t* text) { return text ? FromWide(text, CP_ACP) : std::string(); }

}  // namespace zq
