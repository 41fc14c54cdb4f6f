// The options window: region, modem, plan and the plan's rates.
#pragma once

#include "core/opts_form.h"
#include "ui/tool_window.h"

namespace ulz::ui {

class TOpts : public ToolWindow {
    Q_OBJECT
public:
    TOpts(ProgramWindows& windows, OptsForm& core);
    void sync();

private:
    void connectEvents();

    OptsForm& core_;
};

}  // namespace ulz::ui
