// The options window: region, modem and plan, with the plan's rates that the
// measurements compare against.
#pragma once

#include <cstdint>

#include "core/controls.h"

namespace ulz {

class App;

// Plan rates, in bits per second, used when a rate edit holds no usable number.
inline constexpr std::int32_t kDefaultDownRate = 512000;
inline constexpr std::int32_t kDefaultUpRate = 128000;

// The list entry of a plan or modem that config.ini does not name.
inline constexpr const char* kUnknownEntry = "Inconnu";

// The controls that the handlers read or write. The static labels beside
// them live in the window itself.
struct OptsFormControls {
    WindowState window;

    ComboBox cbRegion = regionList();
    ComboBox cbModem;
    ComboBox cbForfait;
    Edit down{"512000"};
    Edit up{"128000"};
    Button Button1{"OK"};

    template <class F>
    void forEachControl(F&& f) {
        f("cbRegion", cbRegion), f("cbModem", cbModem), f("cbForfait", cbForfait);
        f("down", down), f("up", up), f("Button1", Button1);
    }

private:
    static ComboBox regionList() {
        ComboBox c;
        c.items = {"Bas-Rhin", "Haut-Rhin"};
        return c;
    }
};

class OptsForm : public OptsFormControls {
public:
    // Fills the plan list, restores the saved region and plan, then sets the
    // modem list, the regional host and the rates. Needs the main window built.
    explicit OptsForm(App& app);

    // Modem list of the region, and the region's host first in the main window.
    void cbRegionChange();
    // Rates of the chosen plan; the rate edits are typed only for "Inconnu".
    void cbForfaitChange();
    // Saves the choices to perso.ini and closes the window. Throws IniWriteError
    // when a write is refused: the later keys stay unwritten and the window open.
    void Button1Click();
    // Hides the window and enables the main window again.
    void FormClose();

    // The plan rates as the measurements use them: the current texts of the
    // edits, read at every call. A text that is not a positive whole number
    // gives the default, so a rate is never 0 and never divides by 0.
    std::int32_t downRate() const;
    std::int32_t upRate() const;

private:
    App& app_;
    // The saved modem is selected by the first cbRegionChange only.
    bool modemRestorePending_ = true;
};

}  // namespace ulz
