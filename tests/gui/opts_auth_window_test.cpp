// The options and verification windows on the offscreen platform, opened
// from the main window's menus and driven by keyboard and mouse.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/certificate.h"
#include "gui_fixture.h"
#include "ui/auth_window.h"
#include "ui/main_window.h"
#include "ui/opts_window.h"

using ulz::testing::GuiProgram;

namespace {

void writeFile(const QString& path, const char* text) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(text);
}

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

}  // namespace

class OptsAuthWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<GuiProgram> program;

    template <class W>
    static W* in(QWidget* window, const char* name) {
        auto* w = window->findChild<W*>(QString::fromLatin1(name));
        if (!w) qFatal("no widget %s", name);
        return w;
    }
    void menu(const char* action) {
        ulz::ui::Form1->findChild<QAction*>(QString::fromLatin1(action))->trigger();
    }
    QString persoPath() const { return program->dir.filePath(QStringLiteral("perso.ini")); }
    // A choice as the user makes it: arrow keys on the closed list, which
    // move the selection and raise `activated`.
    static void chooseWithKeys(QComboBox* combo, int index) {
        while (combo->currentIndex() < index) QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > index) QTest::keyClick(combo, Qt::Key_Up);
        QCOMPARE(combo->currentIndex(), index);
    }
    static void retype(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<GuiProgram>();
        writeFile(
            program->dir.filePath(QStringLiteral("config.ini")),
            "[ping]\r\n1=5\r\n2=192.0.2.10\r\n3=192.0.2.20\r\n4=192.0.2.30\r\n5=192.0.2.40\r\n"
            "[forfait]\r\n0=2\r\n1=Plan A\r\n2=Plan B\r\n"
            "[vdown]\r\n1=2048000\r\n2=1024000\r\n[vup]\r\n1=256000\r\n2=512000\r\n"
            "[modembr]\r\n0=2\r\n1=Modem A\r\n2=Modem B\r\n[modemhr]\r\n0=1\r\n1=Modem C\r\n");
    }
    void cleanup() { program.reset(); }

    void optionsChosenByTheUserAreSavedByOk() {
        program->start();
        auto* opts = ulz::ui::Opts;
        // The design's size, wider only when the font's captions need it.
        QCOMPARE(opts->height(), 141);
        QVERIFY(opts->width() >= 210);
        QCOMPARE(in<QPushButton>(opts, "Button1")->size(), QSize(57, 49));
        QCOMPARE(opts->windowTitle(), QStringLiteral("Options"));
        auto* host = in<QComboBox>(ulz::ui::Form1, "host");
        QCOMPARE(host->currentText(), QStringLiteral("192.0.2.20"));

        menu("Configurer1");
        QVERIFY(opts->isVisible());
        QVERIFY(!ulz::ui::Form1->isEnabled());

        auto* region = in<QComboBox>(opts, "cbRegion");
        auto* modem = in<QComboBox>(opts, "cbModem");
        auto* plan = in<QComboBox>(opts, "cbForfait");
        auto* down = in<QLineEdit>(opts, "down");
        auto* up = in<QLineEdit>(opts, "up");
        QCOMPARE(itemsOf(modem),
                 (QStringList{QStringLiteral("Modem C"), QStringLiteral("Inconnu")}));

        chooseWithKeys(region, 0);
        QCOMPARE(itemsOf(modem), (QStringList{QStringLiteral("Modem A"), QStringLiteral("Modem B"),
                                              QStringLiteral("Inconnu")}));
        QCOMPARE(modem->currentIndex(), -1);
        QCOMPARE(host->itemText(0), QStringLiteral("192.0.2.10"));
        QCOMPARE(host->currentText(), QStringLiteral("192.0.2.10"));
        QCOMPARE(program->pinger.address, std::string("192.0.2.10"));
        chooseWithKeys(modem, 1);

        chooseWithKeys(plan, 1);
        QCOMPARE(down->text(), QStringLiteral("1024000"));
        QVERIFY(!down->isEnabled());
        QVERIFY(!up->isEnabled());
        chooseWithKeys(plan, 2);
        QCOMPARE(plan->currentText(), QStringLiteral("Inconnu"));
        QVERIFY(down->isEnabled());
        QCOMPARE(down->text(), QStringLiteral("512000"));
        retype(down, QStringLiteral("640000"));
        retype(up, QStringLiteral("160000"));
        // Typed rates hold before OK.
        QCOMPARE(program->app->Opts.downRate(), 640000);
        QCOMPARE(program->app->Opts.upRate(), 160000);

        QTest::mouseClick(in<QPushButton>(opts, "Button1"), Qt::LeftButton);
        QVERIFY(!opts->isVisible());
        QVERIFY(ulz::ui::Form1->isEnabled());
        QVERIFY(program->messagesShown.empty());

        QFile perso(persoPath());
        QVERIFY(perso.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(perso.readAll());
        const QStringList lines = {QStringLiteral("region=0"), QStringLiteral("forfait=2"),
                                   QStringLiteral("down=640000"), QStringLiteral("up=160000"),
                                   QStringLiteral("modem=1")};
        qsizetype at = text.indexOf(QStringLiteral("[perso]"));
        QVERIFY2(at >= 0, qPrintable(text));
        for (const QString& line : lines) {
            const qsizetype next = text.indexOf(line, at);
            QVERIFY2(next > at, qPrintable(line + QStringLiteral(" in ") + text));
            at = next;
        }
    }

    void savedChoicesAreShownAtStartUp() {
        writeFile(persoPath(),
                  "[perso]\r\nregion=0\r\nforfait=2\r\ndown=640000\r\nup=160000\r\nmodem=1\r\n");
        program->start();
        auto* opts = ulz::ui::Opts;
        QCOMPARE(in<QComboBox>(opts, "cbRegion")->currentText(), QStringLiteral("Bas-Rhin"));
        // Selected by program, so no change event cleared the saved modem.
        QCOMPARE(in<QComboBox>(opts, "cbModem")->currentText(), QStringLiteral("Modem B"));
        QCOMPARE(in<QComboBox>(opts, "cbForfait")->currentText(), QStringLiteral("Inconnu"));
        QCOMPARE(in<QLineEdit>(opts, "down")->text(), QStringLiteral("640000"));
        QVERIFY(in<QLineEdit>(opts, "down")->isEnabled());
        QCOMPARE(in<QComboBox>(ulz::ui::Form1, "host")->currentText(),
                 QStringLiteral("192.0.2.10"));
        QCOMPARE(program->pinger.address, std::string("192.0.2.10"));
    }

    void refusedSaveKeepsTheOptionsOpen() {
        program->start();
        // A folder where the file should be: the write cannot succeed, even as root.
        QVERIFY(QDir().mkdir(persoPath()));
        menu("Configurer1");
        QTest::mouseClick(in<QPushButton>(ulz::ui::Opts, "Button1"), Qt::LeftButton);
        QCOMPARE(program->messagesShown.size(), std::size_t{1});
        QCOMPARE(program->messagesShown[0].kind, ulz::ui::MessageKind::Error);
        QCOMPARE(program->messagesShown[0].text,
                 QStringLiteral("Impossible d'écrire dans ") + persoPath());
        QVERIFY(ulz::ui::Opts->isVisible());
        QVERIFY(!ulz::ui::Form1->isEnabled());
        ulz::ui::Opts->close();
        QVERIFY(!ulz::ui::Opts->isVisible());
        QVERIFY(ulz::ui::Form1->isEnabled());
    }

    void verificationAnswersTheTypedFigures() {
        program->start();
        auto* auth = ulz::ui::Auth;
        menu("Vrfierauthenticit1");
        QVERIFY(auth->isVisible());
        QVERIFY(!ulz::ui::Form1->isEnabled());
        QCOMPARE(auth->windowTitle(), QStringLiteral("Vérification d'authenticité"));
        // The throughput check sits below the ping check, the window twice its design height.
        QCOMPARE(auth->height(), 240);
        QVERIFY(auth->width() >= 304);
        QVERIFY(in<QGroupBox>(auth, "GroupBox2")->isVisible());
        QCOMPARE(in<QGroupBox>(auth, "GroupBox2")->geometry().top(), 120);

        struct Typed {
            const char* edit;
            const char* text;
        };
        for (const Typed& t :
             {Typed{"min", "35"}, Typed{"moy", "42,37"}, Typed{"max", "120"}, Typed{"coup", "0"},
              Typed{"score", "87"}, Typed{"certif", "289858"}}) {
            QTest::keyClicks(in<QLineEdit>(auth, t.edit), QString::fromUtf8(t.text));
        }
        auto* check = in<QPushButton>(auth, "Button1");
        QCOMPARE(check->text(), QStringLiteral("Vérifier"));
        QTest::mouseClick(check, Qt::LeftButton);
        retype(in<QLineEdit>(auth, "score"), QStringLiteral("88"));
        QTest::mouseClick(check, Qt::LeftButton);

        // The throughput check below works the same way.
        const std::string debitCertificate =
            ulz::ComputeCertificate("45,3ko/s0,50,124,81234 LineZelk");
        for (const Typed& t : {Typed{"deb", "45,3ko/s"}, Typed{"perte", "0,5"},
                               Typed{"inst", "0,12"}, Typed{"burst", "4,8"}, Typed{"scor", "1234"},
                               Typed{"certi", debitCertificate.c_str()}}) {
            QTest::keyClicks(in<QLineEdit>(auth, t.edit), QString::fromUtf8(t.text));
        }
        QTest::mouseClick(in<QPushButton>(auth, "Button2"), Qt::LeftButton);

        const QStringList expected = {QStringLiteral("Résultats certifiés"),
                                      QStringLiteral("Erreur : Résultats non certifiés"),
                                      QStringLiteral("Résultats certifiés")};
        QCOMPARE(program->messagesShown.size(), std::size_t(expected.size()));
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(program->messagesShown[std::size_t(i)].kind,
                     ulz::ui::MessageKind::Information);
            QCOMPARE(program->messagesShown[std::size_t(i)].text, expected[i]);
        }
        QVERIFY(auth->isVisible());
        QCOMPARE(in<QLineEdit>(auth, "min")->text(), QStringLiteral("35"));

        auth->close();
        QVERIFY(!auth->isVisible());
        QVERIFY(ulz::ui::Form1->isEnabled());
    }
};

QTEST_MAIN(OptsAuthWindowTest)
#include "opts_auth_window_test.moc"
