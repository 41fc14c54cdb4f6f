#include "core/auth_form.h"

#include <algorithm>

#include "core/app.h"
#include "core/certificate.h"
#include "core/cp1252.h"

namespace ulz {
namespace {

// Every certificate text a benchmark prints is ASCII (figures, units, score
// names). One byte of 128 or more outweighs everything else in the checksum's
// single-precision sum, so all texts holding one share a certificate whatever
// their figures: such a text cannot be vouched for.
bool hasHighByte(const std::string& bytes) {
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

void AuthForm::Button1Click() {
    // The texts exactly as typed: no trimming, no conversion to numbers.
    answer(min.text + "ms" + moy.text + "ms" + max.text + "ms" + coup.text + "s" + score.text +
               " PingZelk",
           certif.text);
}

void AuthForm::Button2Click() {
    answer(deb.text + perte.text + inst.text + burst.text + scor.text + " LineZelk", certi.text);
}

void AuthForm::answer(const std::string& text, const std::string& typedCertificate) {
    // The edits hold UTF-8 and the checksum works on Windows-1252 bytes: a
    // character the code page cannot hold hashes as '?', as in
    // ComputeCertificateOfText. The comparison is byte for byte, so a blank
    // around the number or "289858,0" fails.
    const std::string bytes = utf8ToCp1252(text);
    const bool certified = !hasHighByte(bytes) && ComputeCertificate(bytes) == typedCertificate;
    app_.services.messages.showMessage(certified ? kCertifiedMessage : kNotCertifiedMessage);
}

void AuthForm::FormClose() {
    window.visible = false;
    app_.Form1.window.enabled = true;
}

}  // namespace ulz
