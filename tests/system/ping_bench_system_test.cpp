// The ping benchmark of the real program, in its real windows (offscreen) with
// its real ICMP layer, over three hosts answering after 20, 30 and 40 ms; then
// the verification window checks the certificate the report printed.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <vector>

#include "core/app.h"
#include "platform/file_ini.h"
#include "platform/linux_interface_table.h"
#include "platform/linux_pinger.h"
#include "ui/auth_window.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/program_windows.h"
#include "ui/result_window.h"

class PingBenchSystemTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void benchmarkReportsEachHostAndItsCertificateIsAccepted() {
        const QByteArray h20 = qgetenv("ULZ_HOST_20"), h30 = qgetenv("ULZ_HOST_30"),
                         h40 = qgetenv("ULZ_HOST_40");
        if (h20.isEmpty()) QSKIP("run through run_bench_system.sh");

        QTemporaryDir dir;
        {
            ulz::FileIni config(dir.filePath(QStringLiteral("config.ini")).toStdString());
            // Keys 2, 4 and 5 make the host list; key 3, the host of a
            // machine without a region, takes the first place at start-up.
            config.writeString("ping", "1", "5");
            config.writeString("ping", "2", h20.toStdString());
            config.writeString("ping", "3", h20.toStdString());
            config.writeString("ping", "4", h30.toStdString());
            config.writeString("ping", "5", h40.toStdString());
        }
        ulz::FileIni config(dir.filePath(QStringLiteral("config.ini")).toStdString());
        ulz::FileIni perso(dir.filePath(QStringLiteral("perso.ini")).toStdString());
        std::vector<QString> messages;
        ulz::ui::setMessageHook(
            [&](ulz::ui::MessageKind, const QString& text) { messages.push_back(text); });
        ulz::ui::QtMessages boxes;
        ulz::LinuxPinger pinger(&ulz::ui::ProgramWindows::post);
        ulz::LinuxInterfaceTable interfaces;
        ulz::App app(ulz::Services{pinger, boxes, config, perso, interfaces});
        ulz::ui::ProgramWindows windows(app);

        QTest::mouseClick(ulz::ui::Form1->findChild<QPushButton*>(QStringLiteral("Button2")),
                          Qt::LeftButton);
        // Ten requests a host, one a second: about 30 s.
        QTRY_VERIFY_WITH_TIMEOUT(ulz::ui::Result->isVisible(), 60000);
        const QString report =
            ulz::ui::Result->findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->toPlainText();
        qInfo("%s", qPrintable(report));

        // Each host's average within 2 ms of its delay.
        const QRegularExpression hostBlock(
            QStringLiteral(" Test de ping sur ([0-9.]+) :\\n     Minimum : [0-9]+ms\\n"
                           "     Moyenne : ([0-9,]+)ms"));
        std::vector<std::pair<QString, double>> averages;
        for (auto it = hostBlock.globalMatch(report); it.hasNext();) {
            const auto m = it.next();
            averages.emplace_back(
                m.captured(1),
                m.captured(2).replace(QLatin1Char(','), QLatin1Char('.')).toDouble());
        }
        QCOMPARE(averages.size(), std::size_t{3});
        const std::pair<QByteArray, double> expected[] = {{h20, 20}, {h30, 30}, {h40, 40}};
        for (std::size_t i = 0; i < 3; ++i) {
            QCOMPARE(averages[i].first, QString::fromLatin1(expected[i].first));
            QVERIFY2(std::abs(averages[i].second - expected[i].second) <= 2.0,
                     qPrintable(QStringLiteral("average %1").arg(averages[i].second)));
        }

        // The final figures and the certificate, typed into the verification window.
        const QRegularExpression finalBlock(QStringLiteral(
            "       Minimum : (\\S+)ms\\n       Moyenne : (\\S+)ms\\n       Maximum : (\\S+)ms\\n"
            "       Coupures : (\\S+)s\\n\\n  Score : (\\S+) PingZelk\\n\\nCertificat "
            "d'authenticité : (\\S+)$"));
        const auto f = finalBlock.match(report);
        QVERIFY2(f.hasMatch(), "final block");
        ulz::ui::Form1->findChild<QAction*>(QStringLiteral("Vrfierauthenticit1"))->trigger();
        QVERIFY(ulz::ui::Auth->isVisible());
        auto type = [](const char* edit, const QString& text) {
            auto* e = ulz::ui::Auth->findChild<QLineEdit*>(QString::fromLatin1(edit));
            QVERIFY(e);
            e->clear();
            QTest::keyClicks(e, text);
        };
        auto check = [&] {
            messages.clear();
            QTest::mouseClick(ulz::ui::Auth->findChild<QPushButton*>(QStringLiteral("Button1")),
                              Qt::LeftButton);
            return messages.size() == 1 ? messages[0] : QString();
        };
        type("min", f.captured(1));
        type("moy", f.captured(2));
        type("max", f.captured(3));
        type("coup", f.captured(4));
        type("score", f.captured(5));
        type("certif", f.captured(6));
        QCOMPARE(check(), QStringLiteral("Résultats certifiés"));
        // A changed figure is caught.
        type("score", QString::number(f.captured(5).toInt() + 1));
        QCOMPARE(check(), QStringLiteral("Erreur : Résultats non certifiés"));
        ulz::ui::setMessageHook(nullptr);
    }
};

QTEST_MAIN(PingBenchSystemTest)
#include "ping_bench_system_test.moc"
