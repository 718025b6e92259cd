// Text conversions of the Windows backend: the core's UTF-8 to the UTF-16 of the wide
// Win32 calls and back, and the 8-bit code pages of the settings file, CF_TEXT and the
// tree command's output. No Windows header here.
#pragma once

#include <string>
#include <string_view>

namespace kirramo::win32 {

// UTF-8 to UTF-16. The conversion is lossless both ways for every UTF-16 text, also
// for a file name with an unpaired surrogate (NTFS allows one): such a surrogate
// travels through the core as its own three-byte sequence (the WTF-8 form). A byte
// that belongs to no sequence becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
// UTF-16 to UTF-8, the inverse of Widen.
std::string Narrow(std::wstring_view utf16);

// The text in an 8-bit code page (CP_ACP, the OEM code page, ...). A character that
// the code page lacks becomes the code page's default character ("?"); no best-fit
// look-alike is taken.
std::string ToCodePage(std::wstring_view text, unsigned codePage);
// Bytes in an 8-bit code page to UTF-16; bytes that form no character of the code
// page become its default character.
std::wstring FromCodePage(std::string_view bytes, unsigned codePage);

}  // namespace kirramo::win32
