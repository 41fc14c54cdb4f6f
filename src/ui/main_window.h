// The main window "UlvekLineZelk 2002": the ping group on the left, the
// throughput group on the right, the menus.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "core/main_form.h"
#include "ui/control_binder.h"

namespace ulz::ui {

class ProgramWindows;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(ProgramWindows& windows, MainForm& core);
    ~TForm1() override;

    void sync();

protected:
    // Saves the chosen interface; when that fails the window stays open.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPingGroup(QWidget* client);
    void buildDebitGroup(QWidget* client);
    void buildMenus();
    void connectEvents();
    void handle(void (MainForm::*handler)());
    void handle(const std::function<void(MainForm&)>& handler);

    ProgramWindows& windows_;
    MainForm& core_;
    std::unique_ptr<ControlBinder> binder_;
};

}  // namespace ulz::ui
