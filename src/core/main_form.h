// The main window: its controls as the handlers see them, the measurement
// state, and every handler of the window.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/canvas.h"
#include "core/controls.h"
#include "core/ftp_status.h"
#include "core/pinger.h"
#include "core/traffic_state.h"

namespace ulz {

class App;

inline constexpr const char* kStartStatsCaption = "Démarrer Test Statistique";
inline constexpr const char* kStartBenchCaption = "Démarrer PingZelk";
inline constexpr const char* kStopCaption = "Arrêter";

// The controls of the main window that the program reads or writes. Purely
// static texts (the captions beside the figures) live in the window itself.
struct MainFormControls {
    WindowState window{true, true};

    // Group "Ping".
    GroupBox gpPing{"Ping"};
    Rgb shape1Brush{255, 255, 255};  // the frame behind the ping graph: its background
    Canvas pingraph{375, 119};
    Button Button1{kStartStatsCaption};
    Button Button2{kStartBenchCaption};
    ComboBox host{true};
    TrackBar tbHech{375, 3600, 375};
    CheckBox autoech{"Auto", true};
    TrackBar tbEch{1, 100, 1};
    Label lbMin{"0ms"}, lbMoy{"0ms"}, lbMax{"0ms"}, lbAct{"0ms"};
    Label lbEch{"0"}, lbCoup{"0s"};
    Label lbPingZ{"0pts"};

    // Group "Débit".
    GroupBox gpDebit{"Débit"};
    Rgb shape2Brush{255, 255, 255};  // the frame behind the traffic graph: its background
    Canvas trafgraph{375, 119};
    Label lbTraffic{"DL : 0ko/s (0%) UL : 0ko/s (0%)"};
    Label Label23{"0ko/s"};
    Button Button5{"Download"}, Button7{"Upload"};
    ComboBox cbFic;
    Button Button4{"Reset"};
    ComboBox cbIf;
    Button Button3{"Analyser la connection"};
    Button Button6{"Démarrer TrafficZelk"};
    TrackBar tbHechT{375, 3600, 375};
    TrackBar tbEchT{1, 3000, 1};
    CheckBox autoechT{"Auto", true};
    RadioButton rbKos{"ko/s", true}, RadioButton2{"kbps", false};
    CheckBox burst{"Analyse burst", false};
    Label lbMoyd{"0ko/s"}, lbMoyu{"0ko/s"};
    Label lbStabd{"0"}, lbStabu{"0"};
    Label lbPerfd{"0"}, lbPerfu{"0"};
    Label lbMaxd{"0ko/s"}, lbMaxu{"0ko/s"};
    Label lbCoupT{"0"};
    Label lbFtp{"N/A"}, lbFMoy{"N/A"}, lbFtpc{"0%"}, lbLoss{"N/A"};

    // Timers, all disabled at start.
    Timer PingCollect{1000};
    Timer tmGraph{1000};
    Timer tmTraffCollect{1000};
    Timer tmTGraph{1000};
    Timer tmStartBench{5000};

    // Calls f(name, control) for every control, with the window's object names.
    template <class F>
    void forEachControl(F&& f) {
        f("gpPing", gpPing), f("pingraph", pingraph), f("Button1", Button1), f("Button2", Button2),
            f("host", host);
        f("tbHech", tbHech), f("autoech", autoech), f("tbEch", tbEch);
        f("lbMin", lbMin), f("lbMoy", lbMoy), f("lbMax", lbMax), f("lbAct", lbAct);
        f("lbEch", lbEch), f("lbCoup", lbCoup), f("lbPingZ", lbPingZ);
        f("gpDebit", gpDebit), f("trafgraph", trafgraph), f("lbTraffic", lbTraffic);
        f("Label23", Label23);
        f("Button5", Button5), f("Button7", Button7), f("cbFic", cbFic), f("Button4", Button4);
        f("cbIf", cbIf), f("Button3", Button3), f("Button6", Button6);
        f("tbHechT", tbHechT), f("tbEchT", tbEchT), f("autoechT", autoechT);
        f("rbKos", rbKos), f("RadioButton2", RadioButton2), f("burst", burst);
        f("lbMoyd", lbMoyd), f("lbMoyu", lbMoyu), f("lbStabd", lbStabd), f("lbStabu", lbStabu);
        f("lbPerfd", lbPerfd), f("lbPerfu", lbPerfu), f("lbMaxd", lbMaxd), f("lbMaxu", lbMaxu);
        f("lbCoupT", lbCoupT), f("lbFtp", lbFtp), f("lbFMoy", lbFMoy), f("lbFtpc", lbFtpc);
        f("lbLoss", lbLoss);
        f("PingCollect", PingCollect), f("tmGraph", tmGraph), f("tmTraffCollect", tmTraffCollect);
        f("tmTGraph", tmTGraph), f("tmStartBench", tmStartBench);
    }
};

// Sample value that stands for a request that timed out.
inline constexpr std::int32_t TimeoutSample = 1000;
inline constexpr int kPingBufferSize = 4000;

// State of the ping statistics test and of the ping benchmark that runs on it.
struct PingState {
    std::array<std::int32_t, kPingBufferSize> pingSamples{};  // entry 0 newest
    std::int32_t pingCount = 0;
    std::int32_t pingTimeouts = 0;
    std::int32_t timeoutRun = 0;
    std::int32_t outageSeconds = 0;
    std::int32_t pingScore = 0;
    float graphScale = 0.0f;  // pixels per millisecond of the ping graph
    bool benchActive = false;
};

// The ping benchmark's walk over the host list.
struct PingBenchState {
    static constexpr std::int32_t benchPingsPerHost = 10;
    std::int32_t benchHostPings = 0;
    float benchHostSum = 0.0f;  // accumulated in single precision
    std::int32_t benchHostMin = 0;
    std::int32_t benchHostMax = 0;
};

// Names of the seven help buttons.
inline constexpr std::array<const char*, 7> kHelpButtons = {
    "bitPing", "bitPZelk", "bitAna", "bitCharg", "bitReset", "bitTBench", "bitExpl"};

class MainForm : public MainFormControls {
public:
    // Fills the host and test-file lists, the interface list, and selects
    // the saved interface. Starts nothing.
    explicit MainForm(App& app);

    // Menus and help.
    void Configurer1Click();
    void Vrfierauthenticit1Click();
    void N1Click();
    void bitPingClick(const std::string& sender);
    // Saves the chosen interface; throws IniWriteError when it cannot, and
    // the close is then abandoned.
    void FormClose();

    void LoadIniF();

    // Ping statistics test.
    void Button1Click();
    void hostChange();
    // The collection tick. The echo request goes out here; the rest of the
    // tick runs when its outcome arrives (pingCollectFinish).
    void PingCollectTimer();
    void Ping1EchoReply(std::uint32_t rtt);
    bool pingPending() const { return pingInFlight_; }

    // Ping graph.
    void tmGraphTimer();
    void tbEchChange();
    void tbHechChange();

    // Ping benchmark: start and stop.
    void Button2Click();

    // Connection analysis.
    void ListInterfaces();
    void ReadIfCounters(int position);
    void Button3Click();
    void Button4Click();
    void burstClick();
    // Sets the burst box by program; a change of state raises its click handler.
    void setBurstChecked(bool checked);
    void cbIfChange();
    void tmTraffCollectTimer();
    // The test transfer the analysis reads; until one is attached none is connected.
    void attachFtp(const FtpStatus& ftp) { ftp_ = &ftp; }

    // Traffic graph and display unit.
    void tmTGraphTimer();
    void tbEchTChange();
    // sender: "rbKos" or "RadioButton2".
    void rbKosClick(std::string_view sender);

    PingState ping;
    PingBenchState bench;
    TrafficState traffic;

private:
    void pingCollectFinish(const PingOutcome& outcome);
    // Ends any request in flight: its outcome will be ignored.
    void dropPendingPing();
    // The benchmark's share of the reply step, with the time as reported.
    void pingBenchStep(std::uint32_t rtt);
    void endPingBench();

    App& app_;
    Pinger& pinger_;
    bool pingInFlight_ = false;
    std::uint64_t pingGeneration_ = 0;
    bool pingErrorShown_ = false;
    const FtpStatus* ftp_ = &noFtpTransfer();
};

}  // namespace ulz
