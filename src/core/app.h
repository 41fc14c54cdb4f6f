// The whole program without its toolkit: the platform services it talks
// to and its four windows, created in the order the program relies on.
#pragma once

#include "core/auth_form.h"
#include "core/ini_file.h"
#include "core/interface_table.h"
#include "core/main_form.h"
#include "core/messages.h"
#include "core/opts_form.h"
#include "core/pinger.h"
#include "core/result_form.h"

namespace ulz {

struct Services {
    Pinger& pinger;
    Messages& messages;
    IniFile& config;  // config.ini, read only
    IniFile& perso;   // perso.ini, the user's choices
    InterfaceTable& interfaces;
};

class App {
public:
    explicit App(const Services& services)
        : services(services), Form1(*this), Opts(*this), Result(*this), Auth(*this) {
        // Measure the host the window shows: the lists were filled by program,
        // which raises no change event, so aim the pinger once here.
        Form1.hostChange();
    }
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    Services services;
    // Declaration order is creation order: the options window's constructor
    // works on the main window's host list, so the main window comes first.
    MainForm Form1;
    OptsForm Opts;
    ResultForm Result;
    AuthForm Auth;
};

}  // namespace ulz
