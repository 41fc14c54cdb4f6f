// The score certificate: the keyless check number printed at the end of every
// benchmark report and recomputed by the verification window.
#pragma once

#include <string>
#include <string_view>

namespace ulz {

// Certificate of a certificate text given as its Windows-1252 bytes: a whole
// number written by floatToStr ("289858", or "2,60876352041947E19" once a byte
// of 128 or more has entered the sum). Pure; the order of the bytes matters.
std::string ComputeCertificate(std::string_view bytes);

// Same for a text held as UTF-8, as the program's captions and edits are. A
// character that Windows-1252 cannot hold counts as '?'.
std::string ComputeCertificateOfText(std::string_view utf8Text);

}  // namespace ulz
