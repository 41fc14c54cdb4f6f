// The options window: region, modem and plan, with the plan's rates.
#pragma once

#include "core/controls.h"

namespace ulz {

class App;

struct OptsFormControls {
    WindowState window;

    template <class F>
    void forEachControl(F&&) {}
};

class OptsForm : public OptsFormControls {
public:
    explicit OptsForm(App& app) : app_(app) {}
    // Hides the window and enables the main window again.
    void FormClose();

private:
    App& app_;
};

}  // namespace ulz
