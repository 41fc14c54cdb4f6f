#include "ui/program_windows.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <exception>

#include "ui/auth_window.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/opts_window.h"
#include "ui/result_window.h"

namespace ulz::ui {

TForm1* Form1 = nullptr;
TOpts* Opts = nullptr;
TResult* Result = nullptr;
TAuth* Auth = nullptr;

namespace {
ProgramWindows* current = nullptr;
}  // namespace

ProgramWindows::ProgramWindows(App& a) : app(a) {
    form1 = std::make_unique<TForm1>(*this, app.Form1);
    Form1 = form1.get();
    opts = std::make_unique<TOpts>(*this, app.Opts);
    Opts = opts.get();
    result = std::make_unique<TResult>(*this, app.Result);
    Result = result.get();
    auth = std::make_unique<TAuth>(*this, app.Auth);
    Auth = auth.get();
    current = this;
    syncAll();
}

ProgramWindows::~ProgramWindows() {
    current = nullptr;
    Form1 = nullptr;
    Opts = nullptr;
    Result = nullptr;
    Auth = nullptr;
}

bool ProgramWindows::run(const std::function<void()>& handler) {
    bool ok = true;
    try {
        handler();
    } catch (const std::exception& e) {
        ok = false;
        syncAll();
        showError(QString::fromStdString(e.what()));
    }
    syncAll();
    return ok;
}

void ProgramWindows::syncAll() {
    form1->sync();
    opts->sync();
    result->sync();
    auth->sync();
}

void ProgramWindows::post(std::function<void()> f) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [f = std::move(f)] {
            if (current) current->run(f);
        },
        Qt::QueuedConnection);
}

}  // namespace ulz::ui
