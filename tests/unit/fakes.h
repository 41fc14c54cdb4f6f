// Fakes of the platform services for the core tests.
#pragma once

#include <algorithm>
#include <cctype>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/app.h"
#include "fake_interface_table.h"

namespace ulz {
// Readable colours in test failures.
inline void PrintTo(const Rgb& c, std::ostream* os) {
    *os << "rgb(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}
}  // namespace ulz

namespace ulz::testing {

// Holds each request until the test answers it.
class FakePinger : public Pinger {
public:
    void setSize(int bytes) override { size = bytes; }
    void setAddress(const std::string& host) override { address = host; }
    void ping(std::function<void(const PingOutcome&)> done) override {
        pending.push_back(std::move(done));
        ++sent;
    }

    // Delivers the outcome of the oldest request still out.
    void answer(const PingOutcome& outcome) {
        auto done = std::move(pending.front());
        pending.pop_front();
        done(outcome);
    }
    void reply(std::uint32_t rtt) { answer({rtt, {}}); }
    void noReply() { answer({}); }

    int size = 16;
    std::string address;
    int sent = 0;
    std::deque<std::function<void(const PingOutcome&)>> pending;
};

class FakeMessages : public Messages {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& text) override { errors.push_back(text); }
    std::vector<std::string> messages, errors;
};

// Settings held in memory, names matched without regard to case.
class MapIni : public IniFile {
public:
    explicit MapIni(std::string path = "/fake/perso.ini") : path_(std::move(path)) {}

    std::string readString(const std::string& section, const std::string& key,
                           const std::string& def) const override {
        const auto it = values.find({lower(section), lower(key)});
        return it == values.end() ? def : it->second;
    }
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (refuseWrites) throw IniWriteError(path_);
        values[{lower(section), lower(key)}] = value;
        writes.push_back(section + "/" + key + "=" + value);
    }
    std::string path() const override { return path_; }

    void set(const std::string& section, const std::string& key, const std::string& value) {
        values[{lower(section), lower(key)}] = value;
    }

    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> writes;
    bool refuseWrites = false;

private:
    static std::string lower(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    }
    std::string path_;
};

// The program with fake services, built the way the program entry builds it.
struct FakeProgram {
    FakePinger pinger;
    FakeMessages messages;
    MapIni config{"/fake/config.ini"};
    MapIni perso{"/fake/perso.ini"};
    FakeInterfaceTable interfaces;
    std::optional<App> app;

    App& start() {
        app.emplace(Services{pinger, messages, config, perso, interfaces});
        return *app;
    }
};

}  // namespace ulz::testing
