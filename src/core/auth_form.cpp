#include "core/auth_form.h"

#include "core/app.h"

namespace ulz {

void AuthForm::FormClose() {
    window.visible = false;
    app_.Form1.window.enabled = true;
}

}  // namespace ulz
