#include "ui/tool_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>

#include "ui/program_windows.h"
#include "ui/widget_factory.h"

namespace ulz::ui {

ToolWindow::ToolWindow(ProgramWindows& windows, WindowState& state, const char* name,
                       const QString& caption, int clientWidth, int clientHeight)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      windows_(windows),
      state_(state) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setFont(programFont());
    setFixedSize(clientWidth, clientHeight);
    if (const QScreen* screen = QApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

ToolWindow::~ToolWindow() = default;

void ToolWindow::finishBuild() {
    binder_ = std::make_unique<ControlBinder>(this);
}

void ToolWindow::syncWindowState() {
    if (isVisible() != state_.visible) setVisible(state_.visible);
    if (isEnabled() != state_.enabled) setEnabled(state_.enabled);
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    // The core decides: its close handler hides the window through its state.
    event->ignore();
    if (onClose_) windows_.run(onClose_);
}

}  // namespace ulz::ui
