// The connection analysis in the real main window on the offscreen platform:
// the user's clicks, the timers and what the labels and the graph show.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include "gui_fixture.h"
#include "ui/main_window.h"

using ulz::testing::GuiProgram;

class TrafficWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<GuiProgram> program;

    template <class W = QWidget>
    W* widget(const char* name) {
        return ulz::testing::formWidget<W>(name);
    }
    QString caption(const char* name) { return ulz::testing::formCaption(name); }
    QTimer* timer(const char* name) { return widget<QTimer>(name); }
    ulz::MainForm& form() { return program->app->Form1; }
    ulz::InterfaceRow& chosen() { return program->interfaces.rows[2]; }
    void click(const char* name) {
        QTest::mouseClick(widget<QAbstractButton>(name), Qt::LeftButton);
    }
    // One tick of a running timer, as its timeout would deliver it.
    void fire(const char* name) {
        QVERIFY(timer(name)->isActive());
        QMetaObject::invokeMethod(timer(name), "timeout");
    }
    // Octets on the chosen interface, then one collector tick.
    void collect(std::uint32_t in, std::uint32_t out) {
        chosen().inOctets += in;
        chosen().outOctets += out;
        fire("tmTraffCollect");
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<GuiProgram>();
        // perso.ini has no choice yet: the third line is selected.
        program->interfaces.rows = {{"lo (loopback)", 0, 0},
                                    {"eth0 (Ethernet, 52:54:00:12:34:56)", 0, 0},
                                    {"wlan0 (Ethernet, 52:54:00:ab:cd:ef)", 10000, 20000}};
        program->start();
    }
    void cleanup() { program.reset(); }

    void listShowsTheInterfaces() {
        auto* cbIf = widget<QComboBox>("cbIf");
        QCOMPARE(cbIf->count(), 3);
        QCOMPARE(cbIf->itemText(1), QStringLiteral("eth0 (Ethernet, 52:54:00:12:34:56)"));
        QCOMPARE(cbIf->currentIndex(), 2);
        QCOMPARE(widget<QPushButton>("Button3")->text(), QStringLiteral("Analyser la connection"));
        QCOMPARE(caption("lbMoyd"), QStringLiteral("0ko/s"));
        QCOMPARE(widget<QWidget>("trafgraph")->size(), QSize(375, 119));
    }

    void analysisStartsShowsFiguresAndStops() {
        click("Button3");
        QCOMPARE(widget<QPushButton>("Button3")->text(), QStringLiteral("Stopper analyse"));
        QVERIFY(!widget<QComboBox>("cbIf")->isEnabled());
        QVERIFY(timer("tmTraffCollect")->isActive());
        QVERIFY(timer("tmTGraph")->isActive());
        QCOMPARE(timer("tmTraffCollect")->interval(), 1000);
        QCOMPARE(caption("lbFtp"), QStringLiteral("N/A"));

        for (int i = 0; i < 3; ++i) collect(5120, 2048);  // samples of 500 and 200
        QCOMPARE(caption("lbMoyd"), QStringLiteral("3,24ko/s"));
        QCOMPARE(caption("lbMoyu"), QStringLiteral("1,29ko/s"));
        QCOMPARE(caption("lbStabd"), QStringLiteral("0,06"));
        QCOMPARE(caption("lbPerfd"), QStringLiteral("N/A"));
        QCOMPARE(caption("lbCoupT"), QStringLiteral("2"));
        QCOMPARE(caption("Label23"), QStringLiteral("5ko/s"));

        fire("tmTGraph");
        QCOMPARE(caption("lbTraffic"), QStringLiteral("DL : 5ko/s (8%)  UL : 2ko/s (12,8%)"));
        const QImage graph = widget<QLabel>("trafgraph")->pixmap().toImage();
        QCOMPARE(graph.size(), QSize(375, 119));
        QCOMPARE(graph.pixelColor(374, 118), QColor(0, 206, 0));  // the newest download bar
        QCOMPARE(graph.pixelColor(0, 0), QColor(255, 255, 255));

        click("Button3");
        QCOMPARE(widget<QPushButton>("Button3")->text(), QStringLiteral("Analyser la connection"));
        QVERIFY(widget<QComboBox>("cbIf")->isEnabled());
        QVERIFY(!timer("tmTraffCollect")->isActive());
        QVERIFY(!timer("tmTGraph")->isActive());
        QCOMPARE(caption("lbMoyd"), QStringLiteral("3,24ko/s"));
    }

    void resetClearsTheHistory() {
        click("Button3");
        for (int i = 0; i < 3; ++i) collect(5120, 2048);
        click("Button4");
        QCOMPARE(form().traffic.trafCount, 0);
        QCOMPARE(form().traffic.trafHist[ulz::kDownloadSeries][0], 0);
        QVERIFY(timer("tmTraffCollect")->isActive());
        collect(5120, 2048);
        // One sample over n = 1: the Reset skips nothing.
        QCOMPARE(caption("lbMoyd"), QStringLiteral("4,83ko/s"));
    }

    void burstBoxSetsTheCollectorInterval() {
        click("Button3");
        click("burst");
        QVERIFY(form().burst.checked);
        QCOMPARE(timer("tmTraffCollect")->interval(), 100);
        QVERIFY(timer("tmTraffCollect")->isActive());
        QCOMPARE(timer("tmTGraph")->interval(), 1000);
        collect(5120, 2048);
        QCOMPARE(caption("lbPerfd"), QStringLiteral("0"));
        QCOMPARE(caption("lbMaxd"), QStringLiteral("0ko/s"));
        click("burst");
        QCOMPARE(timer("tmTraffCollect")->interval(), 1000);
        // Checked by the program: the box shows it and its click handler runs.
        program->windows->run([this] { form().setBurstChecked(true); });
        QVERIFY(widget<QCheckBox>("burst")->isChecked());
        QCOMPARE(timer("tmTraffCollect")->interval(), 100);
    }

    void unitButtonsChangeTheNextCaptions() {
        click("Button3");
        for (int i = 0; i < 3; ++i) collect(5120, 2048);
        click("RadioButton2");
        QVERIFY(widget<QRadioButton>("RadioButton2")->isChecked());
        QVERIFY(!widget<QRadioButton>("rbKos")->isChecked());
        QVERIFY(form().RadioButton2.checked && !form().rbKos.checked);
        QCOMPARE(form().traffic.unitText, std::string("kbps"));
        QCOMPARE(caption("lbMoyd"), QStringLiteral("3,24ko/s"));  // not until the next tick
        collect(5120, 2048);
        QCOMPARE(caption("lbMoyd"), QStringLiteral("29,22kbps"));
        QCOMPARE(caption("Label23"), QStringLiteral("40kbps"));
        click("rbKos");
        QVERIFY(form().rbKos.checked && !form().RadioButton2.checked);
        QCOMPARE(form().traffic.unitFactor, 1);
        collect(5120, 2048);
        QCOMPARE(caption("lbMoyd"), QStringLiteral("3,89ko/s"));
    }

    void choosingAnotherInterfaceSkipsASample() {
        auto* cbIf = widget<QComboBox>("cbIf");
        cbIf->setFocus();
        QTest::keyClick(cbIf, Qt::Key_Up);
        QCOMPARE(form().cbIf.itemIndex, 1);
        QVERIFY(form().traffic.skipSample);
    }

    void verticalScaleTrackBarRelabelsAndRedraws() {
        form().traffic.trafHist[ulz::kDownloadSeries][0] = 25;
        widget<QSlider>("tbEchT")->setValue(5);
        QCOMPARE(form().tbEchT.position, 5);
        QCOMPARE(caption("Label23"), QStringLiteral("0,5ko/s"));
        const QImage graph = widget<QLabel>("trafgraph")->pixmap().toImage();
        QCOMPARE(graph.pixelColor(374, 118), QColor(0, 206, 0));
        QCOMPARE(graph.pixelColor(374, 58), QColor(255, 255, 255));
        QCOMPARE(graph.pixelColor(374, 60), QColor(0, 206, 0));
    }
};

QTEST_MAIN(TrafficWindowTest)
#include "traffic_window_test.moc"
