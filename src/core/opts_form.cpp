#include "core/opts_form.h"

#include <string>
#include <vector>

#include "core/app.h"
#include "core/number_text.h"
#include "core/settings.h"

namespace ulz {
namespace {

// A count in config.ini far beyond any real list would otherwise make the
// window read the file billions of times and never open.
constexpr std::int64_t kMaxListEntries = 1000;

// Appends the texts of keys "1" up to count + 1 of `section`, where key "0"
// holds the count, read anew before each test. The key after the last entry
// is usually absent, so the list ends with "Inconnu".
void appendList(const IniFile& config, const char* section, std::vector<std::string>& items) {
    for (std::int64_t n = 1;
         n <= kMaxListEntries && n <= std::int64_t{config.readInteger(section, "0", 0)} + 1; ++n) {
        items.push_back(config.readString(section, intToStr(n), kUnknownEntry));
    }
}

std::int32_t rateOf(const std::string& text, std::int32_t def) {
    const std::int32_t rate = strToIntDef(text, def);
    return rate > 0 ? rate : def;
}

}  // namespace

OptsForm::OptsForm(App& app) : app_(app) {
    appendList(app_.services.config, "forfait", cbForfait.items);

    const IniFile& perso = app_.services.perso;
    cbRegion.select(perso.readInteger("perso", "region", -1));
    cbForfait.select(perso.readInteger("perso", "forfait", -1));

    cbRegionChange();
    cbForfaitChange();

    // cbForfaitChange takes the rates from config.ini; rates the user typed
    // for an unlisted plan were saved by OK and come back here.
    if (cbForfait.text == kUnknownEntry) {
        down.text = perso.readString("perso", "down", down.text);
        up.text = perso.readString("perso", "up", up.text);
    }
}

void OptsForm::cbRegionChange() {
    cbModem.items.clear();
    cbModem.select(-1);

    const IniFile& config = app_.services.config;
    // Anything but Bas-Rhin, no region included, counts as Haut-Rhin.
    const bool basRhin = cbRegion.text == "Bas-Rhin";
    const char* modemSection = basRhin ? "modembr" : "modemhr";

    ComboBox& host = app_.Form1.host;
    const std::string regionalHost =
        config.readString("ping", basRhin ? "2" : "3", kDefaultPingHost);
    if (host.items.empty()) {
        host.items.push_back(regionalHost);
    } else {
        host.items.front() = regionalHost;
    }
    host.select(0);
    // The selection by program raises no change event; aim the pinger here so
    // that it measures the host the main window shows.
    app_.Form1.hostChange();

    appendList(config, modemSection, cbModem.items);

    if (modemRestorePending_) {
        cbModem.select(app_.services.perso.readInteger("perso", "modem", -1));
        modemRestorePending_ = false;
    }
}

void OptsForm::cbForfaitChange() {
    const bool unlisted = cbForfait.text == kUnknownEntry;
    down.enabled = unlisted;
    up.enabled = unlisted;

    // Position + 1: "1" for the first plan, "0" when none is chosen.
    const std::string key = intToStr(cbForfait.itemIndex + 1);
    const IniFile& config = app_.services.config;
    down.text = config.readString("vdown", key, "512000");
    up.text = config.readString("vup", key, "128000");
}

void OptsForm::Button1Click() {
    // A refused write throws out of here: the later keys stay unwritten and
    // the window stays open, the main window still disabled.
    IniFile& perso = app_.services.perso;
    perso.writeInteger("perso", "region", cbRegion.itemIndex);
    perso.writeInteger("perso", "forfait", cbForfait.itemIndex);
    perso.writeString("perso", "down", down.text);
    perso.writeString("perso", "up", up.text);
    perso.writeInteger("perso", "modem", cbModem.itemIndex);
    FormClose();
}

void OptsForm::FormClose() {
    window.visible = false;
    app_.Form1.window.enabled = true;
}

std::int32_t OptsForm::downRate() const {
    return rateOf(down.text, kDefaultDownRate);
}

std::int32_t OptsForm::upRate() const {
    return rateOf(up.text, kDefaultUpRate);
}

}  // namespace ulz
