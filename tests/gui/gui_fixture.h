// The real windows over fake services: a pinger whose replies come back
// through the event loop, captured message boxes, settings in a temp folder.
#pragma once

#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "../unit/fake_interface_table.h"
#include "core/app.h"
#include "platform/file_ini.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/program_windows.h"

namespace ulz::testing {

// Answers each request later, through the GUI thread's event loop, with the
// next scripted round-trip time (a time-out when the script runs out).
class ScriptedPinger : public Pinger {
public:
    void setSize(int bytes) override { size = bytes; }
    void setAddress(const std::string& host) override { address = host; }
    void ping(std::function<void(const PingOutcome&)> done) override {
        std::uint32_t rtt = 950;
        if (!script.empty()) {
            rtt = script.front();
            script.pop_front();
        }
        ++sent;
        ui::ProgramWindows::post([done = std::move(done), rtt] { done(PingOutcome{rtt, {}}); });
    }

    std::deque<std::uint32_t> script;
    int size = 16;
    int sent = 0;
    std::string address;
};

// A control of the main window by its object name; the test stops when it is missing.
template <class W = QWidget>
W* formWidget(const char* name) {
    auto* w = ui::Form1->findChild<W*>(QString::fromLatin1(name));
    if (!w) qFatal("no widget %s", name);
    return w;
}

inline QString formCaption(const char* name) { return formWidget<QLabel>(name)->text(); }

struct CapturedMessage {
    ui::MessageKind kind;
    QString text;
};

class GuiProgram {
public:
    GuiProgram()
        : config(dir.filePath(QStringLiteral("config.ini")).toStdString()),
          perso(dir.filePath(QStringLiteral("perso.ini")).toStdString()) {
        ui::setMessageHook([this](ui::MessageKind kind, const QString& text) {
            messagesShown.push_back({kind, text});
        });
    }
    ~GuiProgram() {
        windows.reset();
        app.reset();
        ui::setMessageHook(nullptr);
    }

    void start() {
        app.emplace(Services{pinger, messages, config, perso, interfaces});
        windows = std::make_unique<ui::ProgramWindows>(*app);
    }

    QTemporaryDir dir;
    ScriptedPinger pinger;
    ui::QtMessages messages;
    FileIni config;
    FileIni perso;
    FakeInterfaceTable interfaces;
    std::optional<App> app;
    std::unique_ptr<ui::ProgramWindows> windows;
    std::vector<CapturedMessage> messagesShown;
};

}  // namespace ulz::testing
