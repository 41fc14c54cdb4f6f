// What the secondary windows share: a fixed-size tool window centred on the
// desktop whose close runs the core's close handler.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "core/controls.h"
#include "ui/control_binder.h"

namespace ulz::ui {

class ProgramWindows;

class ToolWindow : public QWidget {
    Q_OBJECT
public:
    ToolWindow(ProgramWindows& windows, WindowState& state, const char* name,
               const QString& caption, int clientWidth, int clientHeight);
    ~ToolWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Called once the window's controls exist: indexes them for sync().
    void finishBuild();
    // Shows or hides the window as its state says.
    void syncWindowState();

    ProgramWindows& windows_;
    std::unique_ptr<ControlBinder> binder_;
    std::function<void()> onClose_;

private:
    WindowState& state_;
};

}  // namespace ulz::ui
