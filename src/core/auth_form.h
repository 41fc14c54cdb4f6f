// The verification window: checks a report's figures against its certificate.
#pragma once

#include "core/controls.h"

namespace ulz {

class App;

struct AuthFormControls {
    WindowState window;

    template <class F>
    void forEachControl(F&&) {}
};

class AuthForm : public AuthFormControls {
public:
    explicit AuthForm(App& app) : app_(app) {}
    // Hides the window and enables the main window again.
    void FormClose();

private:
    App& app_;
};

}  // namespace ulz
