// Program entry: the application object, the four windows, the message loop.
#include <QApplication>
#include <exception>

#include "core/app.h"
#include "core/settings.h"
#include "platform/exe_dir.h"
#include "platform/file_ini.h"
#include "platform/linux_interface_table.h"
#include "platform/linux_pinger.h"
#include "ui/message_box.h"
#include "ui/program_windows.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The main window's close ends the program, even with other windows open.
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        const std::string dir = ulz::executableDir();
        ulz::FileIni config(dir + ulz::kConfigFileName);
        ulz::FileIni perso(dir + ulz::kPersoFileName);
        ulz::ui::QtMessages messages;
        ulz::LinuxPinger pinger(&ulz::ui::ProgramWindows::post);
        ulz::LinuxInterfaceTable interfaces;
        ulz::App app(ulz::Services{pinger, messages, config, perso, interfaces});
        ulz::ui::ProgramWindows windows(app);
        QApplication::exec();
    } catch (const std::exception& e) {
        ulz::ui::showError(QString::fromStdString(e.what()));
    }
    return 0;
}
