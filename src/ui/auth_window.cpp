#include "ui/auth_window.h"

namespace ulz::ui {

TAuth::TAuth(ProgramWindows& windows, AuthForm& core)
    : ToolWindow(windows, core.window, "Auth", QStringLiteral("Vérification d'authenticité"), 304, 120),
      core_(core) {
    finishBuild();
    binder_->verify(core_);
    onClose_ = [this] { core_.FormClose(); };
}

void TAuth::sync() {
    binder_->sync(core_);
    syncWindowState();
}

}  // namespace ulz::ui
