// The verification window.
#pragma once

#include "core/auth_form.h"
#include "ui/tool_window.h"

namespace ulz::ui {

class TAuth : public ToolWindow {
    Q_OBJECT
public:
    TAuth(ProgramWindows& windows, AuthForm& core);
    void sync();

private:
    AuthForm& core_;
};

}  // namespace ulz::ui
