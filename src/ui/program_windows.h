// The program's four Qt windows around the core App, and the one path by
// which every event reaches the core: handler, error box, then a refresh of
// every window from the core's models.
#pragma once

#include <functional>
#include <memory>

#include "core/app.h"

namespace ulz::ui {

class TForm1;
class TOpts;
class TResult;
class TAuth;

class ProgramWindows {
public:
    // Creates the windows in the order Form1, Opts, Result, Auth and shows the main window.
    explicit ProgramWindows(App& app);
    ~ProgramWindows();

    // Runs a handler of the core. An exception escaping it is shown in the
    // error box and the program goes on. Returns false when it threw.
    bool run(const std::function<void()>& handler);
    void syncAll();

    // Hands a callable, from any thread, to the GUI thread's event loop; it
    // runs later through run() of the windows then alive, or not at all.
    static void post(std::function<void()> f);

    App& app;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TOpts> opts;
    std::unique_ptr<TResult> result;
    std::unique_ptr<TAuth> auth;
};

// The global instances, set while ProgramWindows lives.
extern TForm1* Form1;
extern TOpts* Opts;
extern TResult* Result;
extern TAuth* Auth;

}  // namespace ulz::ui
