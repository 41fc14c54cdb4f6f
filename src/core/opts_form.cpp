#include "core/opts_form.h"

#include "core/app.h"

namespace ulz {

void OptsForm::FormClose() {
    window.visible = false;
    app_.Form1.window.enabled = true;
}

}  // namespace ulz
