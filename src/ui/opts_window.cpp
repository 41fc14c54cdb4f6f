#include "ui/opts_window.h"

namespace ulz::ui {

TOpts::TOpts(ProgramWindows& windows, OptsForm& core)
    : ToolWindow(windows, core.window, "Opts", QStringLiteral("Options"), 210, 141), core_(core) {
    finishBuild();
    binder_->verify(core_);
    onClose_ = [this] { core_.FormClose(); };
}

void TOpts::sync() {
    binder_->sync(core_);
    syncWindowState();
}

}  // namespace ulz::ui
