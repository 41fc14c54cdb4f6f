// Conversions between the program's UTF-8 texts and the Windows-1252 bytes
// that the settings files and the score certificates are made of.
#pragma once

#include <string>
#include <string_view>

namespace ulz {

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// Windows-1252 bytes to UTF-8. The five bytes that the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
std::string cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252. A character the code page cannot hold becomes '?',
// and so does every byte of malformed UTF-8.
std::string utf8ToCp1252(std::string_view text);

}  // namespace ulz
