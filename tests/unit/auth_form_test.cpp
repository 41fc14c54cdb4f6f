// The verification window's checks: the typed figures rebuild the report's
// certificate text, and the typed certificate must match it byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "core/certificate.h"
#include "fakes.h"

namespace ulz {
namespace {

using testing::FakeProgram;

enum class Check { Ping, Throughput };

struct CheckCase {
    std::string name;
    Check check;
    std::array<std::string, 5> figures;  // min moy max coup score, or deb perte inst burst scor
    std::string certificate;
    bool certified;
};
std::ostream& operator<<(std::ostream& os, const CheckCase& c) {
    return os << c.name;
}

std::string cert(const std::string& certificateText) {
    return ComputeCertificate(certificateText);
}

const std::string kLong(100000, '9');

std::vector<CheckCase> checkCases() {
    const std::array<std::string, 5> ping{"35", "42,37", "120", "0", "87"};
    const std::array<std::string, 5> debit{"45,3ko/s", "0,5", "0,12", "4,8", "1234"};
    const std::string debitText = "45,3ko/s0,50,124,81234 LineZelk";
    return {
        // A genuine ping report: its certificate is the one the benchmark printed.
        {"PingGenuine", Check::Ping, ping, "289858", true},
        {"PingChangedMaximum", Check::Ping, {"35", "42,37", "121", "0", "87"}, "289858", false},
        {"PingScoreWithLeadingZero",
         Check::Ping,
         {"35", "42,37", "120", "0", "087"},
         "289858",
         false},
        {"PingCertificateLeadingBlank", Check::Ping, ping, " 289858", false},
        {"PingCertificateTrailingBlank", Check::Ping, ping, "289858 ", false},
        {"PingCertificateAsDecimal", Check::Ping, ping, "289858,0", false},
        {"PingEmptyEditsTheirCertificate", Check::Ping, {}, cert("msmsmss PingZelk"), true},
        {"PingEmptyEditsEmptyCertificate", Check::Ping, {}, "", false},
        {"PingVeryLongFigure",
         Check::Ping,
         {kLong, "1", "2", "3", "4"},
         cert(kLong + "ms1ms2ms3s4 PingZelk"),
         true},
        // A character Windows-1252 lacks hashes as '?'.
        {"PingOutsideWindows1252",
         Check::Ping,
         {"35✓", "42,37", "120", "0", "87"},
         cert("35?ms42,37ms120ms0s87 PingZelk"),
         true},
        // A byte of 128 or more swamps the figures: even its own certificate is refused.
        {"PingHighByte",
         Check::Ping,
         {"35é", "42,37", "120", "0", "87"},
         ComputeCertificateOfText("35éms42,37ms120ms0s87 PingZelk"),
         false},
        {"PingHighByteInCertificateOnly", Check::Ping, ping, "289858é", false},

        {"DebitGenuine", Check::Throughput, debit, cert(debitText), true},
        {"DebitChangedLosses",
         Check::Throughput,
         {"45,3ko/s", "0,6", "0,12", "4,8", "1234"},
         cert(debitText),
         false},
        {"DebitUnitLeftOut",
         Check::Throughput,
         {"45,3", "0,5", "0,12", "4,8", "1234"},
         cert(debitText),
         false},
        {"DebitCertificateTrailingBlank", Check::Throughput, debit, cert(debitText) + " ", false},
        {"DebitEmptyEditsTheirCertificate", Check::Throughput, {}, cert(" LineZelk"), true},
        {"DebitEmptyEditsEmptyCertificate", Check::Throughput, {}, "", false},
        {"DebitVeryLongFigure",
         Check::Throughput,
         {"1", "2", "3", "4", kLong},
         cert("1234" + kLong + " LineZelk"),
         true},
        // The euro sign is byte 0x80 in Windows-1252.
        {"DebitEuroSignIsAHighByte",
         Check::Throughput,
         {"45,3ko/s", "0,5", "0,12", "4,8", "12€34"},
         ComputeCertificateOfText("45,3ko/s0,50,124,812€34 LineZelk"),
         false},
        {"DebitOutsideWindows1252",
         Check::Throughput,
         {"45,3ko/s", "0,5", "0,12", "4,8", "1✓"},
         cert("45,3ko/s0,50,124,81? LineZelk"),
         true},
    };
}

class AuthCheckTest : public ::testing::TestWithParam<CheckCase> {
protected:
    AuthCheckTest() : auth(program.start().Auth) { program.app->Form1.Vrfierauthenticit1Click(); }

    FakeProgram program;
    AuthForm& auth;
};

TEST_P(AuthCheckTest, AnswersWithOneOfTheTwoMessages) {
    const CheckCase& c = GetParam();
    const bool ping = c.check == Check::Ping;
    const std::array<Edit*, 5> figures =
        ping ? std::array<Edit*, 5>{&auth.min, &auth.moy, &auth.max, &auth.coup, &auth.score}
             : std::array<Edit*, 5>{&auth.deb, &auth.perte, &auth.inst, &auth.burst, &auth.scor};
    for (std::size_t i = 0; i < figures.size(); ++i) figures[i]->text = c.figures[i];
    Edit& certificate = ping ? auth.certif : auth.certi;
    certificate.text = c.certificate;

    if (ping) {
        auth.Button1Click();
    } else {
        auth.Button2Click();
    }

    ASSERT_EQ(program.messages.messages.size(), 1u);
    EXPECT_EQ(program.messages.messages[0],
              c.certified ? "Résultats certifiés" : "Erreur : Résultats non certifiés");
    EXPECT_TRUE(program.messages.errors.empty());
    // The window stays open with what was typed.
    EXPECT_TRUE(auth.window.visible);
    EXPECT_FALSE(program.app->Form1.window.enabled);
    EXPECT_EQ(figures[0]->text, c.figures[0]);
    EXPECT_EQ(certificate.text, c.certificate);
}

INSTANTIATE_TEST_SUITE_P(Cases, AuthCheckTest, ::testing::ValuesIn(checkCases()),
                         [](const auto& info) { return info.param.name; });

// Why a text with a byte of 128 or more is refused: its certificate no longer
// depends on the figures, so any figures would pass with the same number.
TEST(AuthCheck, HighByteTextsShareOneCertificate) {
    const std::string a = ComputeCertificateOfText("35éms42,37ms120ms0s87 PingZelk");
    const std::string b = ComputeCertificateOfText("1éms1ms999ms9s999 PingZelk");
    EXPECT_EQ(a, b);
    EXPECT_NE(ComputeCertificate("35ms42,37ms120ms0s87 PingZelk"),
              ComputeCertificate("1ms1ms999ms9s999 PingZelk"));
}

TEST(AuthCheck, ClosingGivesTheMainWindowBack) {
    FakeProgram program;
    App& app = program.start();
    app.Form1.Vrfierauthenticit1Click();
    ASSERT_TRUE(app.Auth.window.visible);
    ASSERT_FALSE(app.Form1.window.enabled);
    app.Auth.FormClose();
    EXPECT_FALSE(app.Auth.window.visible);
    EXPECT_TRUE(app.Form1.window.enabled);
}

}  // namespace
}  // namespace ulz
