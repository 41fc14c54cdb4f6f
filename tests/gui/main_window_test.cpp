// The real windows on the offscreen platform, driven by object name.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "gui_fixture.h"
#include "ui/auth_window.h"
#include "ui/main_window.h"
#include "ui/opts_window.h"
#include "ui/result_window.h"

using ulz::testing::GuiProgram;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<GuiProgram> program;

    template <class W = QWidget>
    W* widget(const char* name) {
        return ulz::testing::formWidget<W>(name);
    }
    QString caption(const char* name) { return ulz::testing::formCaption(name); }
    // One tick of the collection timer, and the reply it waits for.
    void collectTick() {
        auto* timer = ulz::ui::Form1->findChild<QTimer*>(QStringLiteral("PingCollect"));
        QVERIFY(timer->isActive());
        const int sentBefore = program->pinger.sent;
        QMetaObject::invokeMethod(timer, "timeout");
        QCOMPARE(program->pinger.sent, sentBefore + 1);
        QTRY_VERIFY(!program->app->Form1.pingPending());
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<GuiProgram>();
        program->start();
    }
    void cleanup() { program.reset(); }

    void windowHasItsDesignCaptionsAndSize() {
        auto* form = ulz::ui::Form1;
        QVERIFY(form->isVisible());
        QCOMPARE(form->windowTitle(), QStringLiteral("UlvekLineZelk 2002"));
        QCOMPARE(form->centralWidget()->size(), QSize(785, 377));
        const std::pair<const char*, const char*> captions[] = {
            {"lbMin", "0ms"},
            {"lbMoy", "0ms"},
            {"lbMax", "0ms"},
            {"lbAct", "0ms"},
            {"lbEch", "0"},
            {"lbCoup", "0s"},
            {"lbPingZ", "0pts"},
            {"Label8", "PingZelk : "},
            {"Label1", "Hôte :"},
            {"lbTraffic", "DL : 0ko/s (0%) UL : 0ko/s (0%)"},
            {"Label23", "0ko/s"},
            {"lbFtp", "N/A"},
            {"lbFtpc", "0%"},
            {"lbLoss", "N/A"},
            {"Label9", "Ulvek"},
            {"Label35", "by Tovrin"},
            {"Label28", "Débit Max théorique (dl) :"}};
        for (const auto& [name, text] : captions) QCOMPARE(caption(name), QString::fromUtf8(text));
        QCOMPARE(widget<QPushButton>("Button1")->text(),
                 QStringLiteral("Démarrer Test Statistique"));
        QCOMPARE(widget<QPushButton>("Button6")->text(), QStringLiteral("Démarrer TrafficZelk"));
        QVERIFY(widget<QPushButton>("Button2")->font().bold());
        QCOMPARE(widget<QGroupBox>("gpPing")->size(), QSize(393, 289));
        QCOMPARE(widget<QGroupBox>("gpDebit")->size(), QSize(393, 377));
        QCOMPARE(widget<QWidget>("pingraph")->size(), QSize(375, 119));
        QVERIFY(widget<QCheckBox>("autoech")->isChecked());
        QVERIFY(!widget<QCheckBox>("burst")->isChecked());
        auto* tbHech = widget<QSlider>("tbHech");
        QCOMPARE(tbHech->minimum(), 375);
        QCOMPARE(tbHech->maximum(), 3600);
        QCOMPARE(tbHech->value(), 375);
        // Without config.ini the host list holds the default host four times.
        auto* host = widget<QComboBox>("host");
        QCOMPARE(host->count(), 4);
        QCOMPARE(host->currentText(), QStringLiteral("localhost"));
        QCOMPARE(widget<QComboBox>("cbFic")->currentText(), QStringLiteral("Erreur"));
        for (const char* timer :
             {"PingCollect", "tmGraph", "tmTraffCollect", "tmTGraph", "tmStartBench"}) {
            QVERIFY(!form->findChild<QTimer*>(QString::fromLatin1(timer))->isActive());
        }
    }

    void statisticsTestStartsShowsFiguresAndStops() {
        program->pinger.script = {50, 50, 950, 950};
        QTest::mouseClick(widget<QPushButton>("Button1"), Qt::LeftButton);
        QCOMPARE(widget<QPushButton>("Button1")->text(), QStringLiteral("Arrêter"));
        QVERIFY(!widget<QPushButton>("Button2")->isEnabled());
        QVERIFY(!widget<QComboBox>("host")->isEnabled());
        QCOMPARE(program->pinger.size, 1);
        QCOMPARE(program->pinger.address, std::string("localhost"));

        collectTick();
        collectTick();
        QCOMPARE(caption("lbAct"), QStringLiteral("50ms"));
        QCOMPARE(caption("lbMin"), QStringLiteral("50ms"));
        QCOMPARE(caption("lbMoy"), QStringLiteral("49,75ms"));
        QCOMPARE(caption("lbEch"), QStringLiteral("2"));
        QCOMPARE(widget<QLabel>("lbPingZ")->palette().color(QPalette::WindowText),
                 QColor(255, 0, 0));
        // The graph's tick draws the samples into the picture the window shows.
        QMetaObject::invokeMethod(ulz::ui::Form1->findChild<QTimer*>(QStringLiteral("tmGraph")),
                                  "timeout");
        const QImage graph = widget<QLabel>("pingraph")->pixmap().toImage();
        QCOMPARE(graph.size(), QSize(375, 119));
        QCOMPARE(QColor(graph.pixel(374, 118)), QColor(0, 128, 0));
        QCOMPARE(QColor(graph.pixel(374, 0)), QColor(Qt::white));
        QCOMPARE(QColor(graph.pixel(0, 118)), QColor(Qt::white));
        collectTick();
        QCOMPARE(caption("lbAct"), QStringLiteral("Timeout"));
        collectTick();
        QCOMPARE(caption("lbAct"), QStringLiteral("COUPURE"));
        QCOMPARE(caption("lbCoup"), QStringLiteral("1s"));

        QTest::mouseClick(widget<QPushButton>("Button1"), Qt::LeftButton);
        QCOMPARE(widget<QPushButton>("Button1")->text(),
                 QStringLiteral("Démarrer Test Statistique"));
        QVERIFY(widget<QPushButton>("Button2")->isEnabled());
        QVERIFY(widget<QComboBox>("host")->isEnabled());
        QVERIFY(!ulz::ui::Form1->findChild<QTimer*>(QStringLiteral("PingCollect"))->isActive());
        QCOMPARE(caption("lbCoup"), QStringLiteral("1s"));
    }

    void typingAHostAimsThePinger() {
        auto* host = widget<QComboBox>("host");
        host->lineEdit()->clear();
        QTest::keyClicks(host->lineEdit(), QStringLiteral("127.0.0.9"));
        QCOMPARE(program->pinger.address, std::string("127.0.0.9"));
        QCOMPARE(program->app->Form1.host.text, std::string("127.0.0.9"));
    }

    void helpButtonShowsItsOwnText() {
        QTest::mouseClick(widget<QPushButton>("bitReset"), Qt::LeftButton);
        QTest::mouseClick(widget<QPushButton>("bitPing"), Qt::LeftButton);
        QCOMPARE(program->messagesShown.size(), std::size_t{2});
        QCOMPARE(program->messagesShown[0].text,
                 QStringLiteral("Remettre la prise de mesure à zéro."));
        QVERIFY(
            program->messagesShown[1].text.startsWith(QStringLiteral("Test destiné à recencer")));
        QVERIFY(
            program->messagesShown[1].text.contains(QStringLiteral("spécifique.\r\nLe premier")));
    }

    void menusDisableTheMainWindowUntilTheirWindowCloses() {
        struct Case {
            const char* action;
            QWidget* window;
        };
        for (const Case& c :
             {Case{"Configurer1", ulz::ui::Opts}, Case{"Vrfierauthenticit1", ulz::ui::Auth}}) {
            ulz::ui::Form1->findChild<QAction*>(QString::fromLatin1(c.action))->trigger();
            QVERIFY(c.window->isVisible());
            QVERIFY(!ulz::ui::Form1->isEnabled());
            QVERIFY(c.window->close() || !c.window->isVisible());
            QVERIFY(!c.window->isVisible());
            QVERIFY(ulz::ui::Form1->isEnabled());
        }
    }

    void resultsWindowSplitsLinesAndEnablesTheMainWindowOnClose() {
        auto& result = program->app->Result;
        program->windows->run([&] {
            result.AddReportLine("\r\nPingZelk\r\nMinimum : 20ms");
            result.SetScoreText("618 Zelk");
            result.ShowResults();
        });
        auto* memo = ulz::ui::Result->findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
        QCOMPARE(memo->toPlainText(), QStringLiteral("\nPingZelk\nMinimum : 20ms"));
        QVERIFY(memo->isReadOnly());
        QCOMPARE(ulz::ui::Result->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("618 Zelk"));
        QVERIFY(ulz::ui::Result->isVisible());
        QVERIFY(ulz::ui::Form1->isEnabled());
        program->windows->run([&] { program->app->Form1.window.enabled = false; });
        ulz::ui::Result->close();
        QVERIFY(!ulz::ui::Result->isVisible());
        QVERIFY(ulz::ui::Form1->isEnabled());
        QCOMPARE(result.GetScoreText(), std::string("618 Zelk"));
    }

    void aboutBoxNamesTheProgram() {
        ulz::ui::Form1->findChild<QAction*>(QStringLiteral("N1"))->trigger();
        QCOMPARE(program->messagesShown.size(), std::size_t{1});
        QVERIFY(program->messagesShown[0].text.startsWith(QStringLiteral("UlvekLineZelk 2002")));
    }

    void closingTheMainWindowSavesTheInterface() {
        QVERIFY(ulz::ui::Form1->close());
        QFile perso(program->dir.filePath(QStringLiteral("perso.ini")));
        QVERIFY(perso.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(perso.readAll());
        QVERIFY2(text.contains(QStringLiteral("[perso]")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("interface=-1")), qPrintable(text));
    }

    void quitMenuGoesThroughTheClose() {
        ulz::ui::Form1->findChild<QAction*>(QStringLiteral("Quitter1"))->trigger();
        QVERIFY(QFile::exists(program->dir.filePath(QStringLiteral("perso.ini"))));
        QVERIFY(!ulz::ui::Form1->isVisible());
    }

    void refusedSaveKeepsTheMainWindowOpen() {
        // A folder where the file should be: the write cannot succeed, even as root.
        const QString path = program->dir.filePath(QStringLiteral("perso.ini"));
        QVERIFY(QDir().mkdir(path));
        QVERIFY(!ulz::ui::Form1->close());
        QVERIFY(ulz::ui::Form1->isVisible());
        QCOMPARE(program->messagesShown.size(), std::size_t{1});
        QCOMPARE(program->messagesShown[0].kind, ulz::ui::MessageKind::Error);
        QCOMPARE(program->messagesShown[0].text,
                 QStringLiteral("Impossible d'écrire dans ") + path);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
