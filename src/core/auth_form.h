// The verification window: rebuilds a report's certificate from its retyped
// figures and tells whether the typed certificate matches.
#pragma once

#include <string>

#include "core/controls.h"

namespace ulz {

class App;

inline constexpr const char* kCertifiedMessage = "Résultats certifiés";
inline constexpr const char* kNotCertifiedMessage = "Erreur : Résultats non certifiés";

struct AuthFormControls {
    WindowState window;

    // Check of a ping benchmark report.
    GroupBox GroupBox1{"Ping"};
    Edit min, moy, max, coup, score, certif;
    Button Button1{"Vérifier"};

    // Check of a throughput benchmark report.
    GroupBox GroupBox2{"Débit"};
    Edit deb, perte, inst, burst, scor, certi;
    Button Button2{"Vérifier"};

    template <class F>
    void forEachControl(F&& f) {
        f("GroupBox1", GroupBox1), f("min", min), f("moy", moy), f("max", max);
        f("coup", coup), f("score", score), f("certif", certif), f("Button1", Button1);
        f("GroupBox2", GroupBox2), f("deb", deb), f("perte", perte), f("inst", inst);
        f("burst", burst), f("scor", scor), f("certi", certi), f("Button2", Button2);
    }
};

class AuthForm : public AuthFormControls {
public:
    explicit AuthForm(App& app) : app_(app) {}

    // Ping check: min + "ms" + moy + "ms" + max + "ms" + coup + "s" + score +
    // " PingZelk", compared with certif.
    void Button1Click();
    // Throughput check: deb + perte + inst + burst + scor + " LineZelk",
    // compared with certi. The rate is typed with its unit, as printed.
    void Button2Click();
    // Hides the window and enables the main window again.
    void FormClose();

private:
    // Shows whether `typedCertificate` is the certificate of `text`.
    void answer(const std::string& text, const std::string& typedCertificate);

    App& app_;
};

}  // namespace ulz
