// The verification window: a ping report's figures and certificate, and a
// throughput report's below them.
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
    // Each returns the width its rows need.
    int buildPingGroup();
    int buildDebitGroup();
    void connectEvents();

    AuthForm& core_;
};

}  // namespace ulz::ui
