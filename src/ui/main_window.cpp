#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>

#include "ui/program_windows.h"
#include "ui/widget_factory.h"

namespace ulz::ui {
namespace {

constexpr int kClientWidth = 785;
constexpr int kClientHeight = 377;

// A label beside a figure: caption on the left at x, figure at x + offset.
void figureRow(QWidget* parent, const char* captionName, const QString& caption,
               const char* figureName, int x, int y, int offset) {
    makeLabel(parent, captionName, caption, x, y);
    makeLabel(parent, figureName, QString(), x + offset, y, 70, 13);
}

}  // namespace

TForm1::TForm1(ProgramWindows& windows, MainForm& core) : windows_(windows), core_(core) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("UlvekLineZelk 2002"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(programFont());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    makeLogo(client);
    auto* year = client->findChild<QLabel*>(QStringLiteral("Label11"));
    makeLabel(client, "Label35", QStringLiteral("by Tovrin"), year->x() + 4,
              year->y() + year->height() + 2);

    buildPingGroup(client);
    buildDebitGroup(client);
    buildMenus();

    binder_ = std::make_unique<ControlBinder>(this);
    binder_->verify(core_);
    connectEvents();

    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    if (const QScreen* screen = QApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

TForm1::~TForm1() = default;

void TForm1::buildPingGroup(QWidget* client) {
    QGroupBox* g = makeGroup(client, "gpPing", 0, 88, 393, 289);
    makeShape(g, "Shape1", 8, 16, 377, 121);
    auto* graph = makeLabel(g, "pingraph", QString(), 9, 17, 375, 119);
    graph->setAutoFillBackground(false);

    makeButton(g, "Button1", 8, 142, 150, 25);
    makeHelpButton(g, "bitPing", 160, 142);
    makeButton(g, "Button2", 192, 142, 160, 25, true);
    makeHelpButton(g, "bitPZelk", 354, 142);

    makeLabel(g, "Label1", QStringLiteral("Hôte :"), 8, 176);
    makeCombo(g, "host", true, 44, 172, 150);

    makeLabel(g, "Label13", QStringLiteral("Echelle H :"), 8, 202);
    makeTrackBar(g, "tbHech", 400, QSlider::TicksAbove, 62, 198, 132);
    makeLabel(g, "Label14", QStringLiteral("1sec"), 64, 222);
    makeLabel(g, "Label15", QStringLiteral("1heure"), 160, 222);
    makeLabel(g, "Label12", QStringLiteral("Echelle V :"), 8, 244);
    makeTrackBar(g, "tbEch", 10, QSlider::TicksBelow, 62, 240, 132);
    makeCheckBox(g, "autoech", 62, 266);

    QGroupBox* panel = makeGroup(g, "panel", 200, 170, 185, 112);
    panel->setTitle(QStringLiteral("Statistiques ping"));
    figureRow(panel, "Label5", QStringLiteral("Min :"), "lbMin", 8, 16, 80);
    figureRow(panel, "Label6", QStringLiteral("Moy :"), "lbMoy", 8, 29, 80);
    figureRow(panel, "Label4", QStringLiteral("Max :"), "lbMax", 8, 42, 80);
    figureRow(panel, "Label3", QStringLiteral("Actuel :"), "lbAct", 8, 55, 80);
    figureRow(panel, "Label7", QStringLiteral("Echantillons :"), "lbEch", 8, 68, 80);
    figureRow(panel, "Label2", QStringLiteral("Coupure :"), "lbCoup", 8, 81, 80);
    figureRow(panel, "Label8", QStringLiteral("PingZelk : "), "lbPingZ", 8, 94, 80);
    for (const char* bold : {"Label8", "lbPingZ"}) {
        auto* l = panel->findChild<QLabel*>(QString::fromLatin1(bold));
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
}

void TForm1::buildDebitGroup(QWidget* client) {
    QGroupBox* g = makeGroup(client, "gpDebit", 392, 0, 393, 377);
    makeShape(g, "Shape2", 8, 16, 377, 121);
    makeLabel(g, "trafgraph", QString(), 9, 17, 375, 119);
    auto* scale = makeLabel(g, "Label23", QString(), 12, 19, 80, 13);
    scale->setAttribute(Qt::WA_TranslucentBackground);
    makeShape(g, "Shape3", 8, 136, 377, 17);
    // The rate line is centred in the band of Shape3 whatever its width.
    auto* traffic = makeLabel(g, "lbTraffic", QString(), 8, 136, 377, 17);
    traffic->setFont(logoFont(QStringLiteral("Arial"), 13, false, false));
    traffic->setAlignment(Qt::AlignCenter);

    makeLabel(g, "lbTest", QStringLiteral("Test :"), 8, 162);
    makeButton(g, "Button5", 40, 158, 62, 23);
    makeButton(g, "Button7", 104, 158, 62, 23);
    makeHelpButton(g, "bitCharg", 168, 157);
    makeLabel(g, "Label17", QStringLiteral("Fichier :"), 8, 188);
    makeCombo(g, "cbFic", false, 56, 184, 137);
    makeLabel(g, "Label16", QStringLiteral("Interface :"), 8, 212);
    makeCombo(g, "cbIf", false, 64, 208, 129);
    makeButton(g, "Button3", 8, 234, 156, 25);
    makeHelpButton(g, "bitAna", 168, 234);
    makeButton(g, "Button4", 8, 262, 60, 25);
    makeHelpButton(g, "bitReset", 70, 262);
    makeCheckBox(g, "burst", 100, 266);
    makeButton(g, "Button6", 8, 290, 156, 25, true);
    makeHelpButton(g, "bitTBench", 168, 290);
    makeLabel(g, "Label19", QStringLiteral("Echelle H :"), 8, 322);
    makeTrackBar(g, "tbHechT", 400, QSlider::TicksAbove, 62, 318, 131);
    makeLabel(g, "Label20", QStringLiteral("1sec"), 64, 341);
    makeLabel(g, "Label21", QStringLiteral("1heure"), 160, 341);
    makeLabel(g, "Label22", QStringLiteral("Echelle V :"), 8, 358);
    makeTrackBar(g, "tbEchT", 300, QSlider::TicksBelow, 62, 352, 80);
    makeCheckBox(g, "autoechT", 146, 356);
    makeRadio(g, "rbKos", 200, 356);
    makeRadio(g, "RadioButton2", 260, 356);

    QGroupBox* stats = makeGroup(g, "GroupBox3", 196, 156, 193, 196);
    stats->setTitle(QStringLiteral("Statistiques débit"));
    struct Row {
        const char* captionName;
        const char* caption;
        const char* figure;
        const char* second;
    };
    const Row rows[] = {
        {"Label24", "[DL] : Moyenne :", "lbMoyd", nullptr},
        {"Label25", "[UL] : Moyenne :", "lbMoyu", nullptr},
        {"Label26", "Instabilité :", "lbStabd", "lbStabu"},
        {"Label27", "Perfs burst : ", "lbPerfd", "lbPerfu"},
        {"Label28", "Débit Max théorique (dl) :", "lbMaxd", nullptr},
        {"Label29", "Débit Max théorique (ul) :", "lbMaxu", nullptr},
        {"Label30", "Coupures (s) :", "lbCoupT", nullptr},
        {"Label31", "Débit FTP :", "lbFtp", nullptr},
        {"Label32", "Moyenne :", "lbFMoy", "lbFtpc"},
        {"Label33", "Pertes (%) :", "lbLoss", nullptr},
    };
    int y = 16;
    for (const Row& row : rows) {
        makeLabel(stats, row.captionName, QString::fromUtf8(row.caption), 6, y);
        if (row.second) {
            makeLabel(stats, row.figure, QString(), 88, y, 50, 13);
            makeLabel(stats, row.second, QString(), 140, y, 50, 13);
        } else {
            makeLabel(stats, row.figure, QString(), 140, y, 50, 13);
        }
        y += 15;
    }
    makeHelpButton(stats, "bitExpl", 156, y - 4);
}

void TForm1::buildMenus() {
    auto add = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    QMenu* fichier = menuBar()->addMenu(QStringLiteral("Fichier"));
    fichier->setObjectName(QStringLiteral("Fichier"));
    add(fichier, "Quitter1", QStringLiteral("Quitter"));
    QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
    options->setObjectName(QStringLiteral("Options1"));
    add(options, "Configurer1", QStringLiteral("Configurer"));
    QMenu* outils = menuBar()->addMenu(QStringLiteral("Outils"));
    outils->setObjectName(QStringLiteral("Outils1"));
    add(outils, "Vrfierauthenticit1", QStringLiteral("Vérifier authenticité"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("N2"));
    add(help, "N1", QStringLiteral("À propos"));

    makeTimer(this, "PingCollect");
    makeTimer(this, "tmGraph");
    makeTimer(this, "tmTraffCollect");
    makeTimer(this, "tmTGraph");
    makeTimer(this, "tmStartBench");
}

void TForm1::handle(void (MainForm::*handler)()) {
    handle([handler](MainForm& core) { (core.*handler)(); });
}

// The handlers reach the core through a reference, never through a `this`
// captured by a nested lambda: g++ 12's vptr sanitizer misreads that `this`
// as the outer closure and reports a false error.
void TForm1::handle(const std::function<void(MainForm&)>& handler) {
    MainForm& core = core_;
    windows_.run([&core, &handler] { handler(core); });
}

void TForm1::connectEvents() {
    auto widget = [this](const char* name) { return binder_->find(name); };
    auto action = [this](const char* name) {
        return findChild<QAction*>(QString::fromLatin1(name));
    };
    auto onClick = [this, &widget](const char* name, void (MainForm::*handler)()) {
        connect(qobject_cast<QPushButton*>(widget(name)), &QPushButton::clicked, this,
                [this, handler] { handle(handler); });
    };
    auto onTimeout = [this, &widget](const char* name, void (MainForm::*handler)()) {
        connect(qobject_cast<QTimer*>(widget(name)), &QTimer::timeout, this,
                [this, handler] { handle(handler); });
    };

    onClick("Button1", &MainForm::Button1Click);
    onClick("Button2", &MainForm::Button2Click);
    onClick("Button3", &MainForm::Button3Click);
    onClick("Button4", &MainForm::Button4Click);
    onTimeout("PingCollect", &MainForm::PingCollectTimer);
    onTimeout("tmGraph", &MainForm::tmGraphTimer);
    onTimeout("tmTraffCollect", &MainForm::tmTraffCollectTimer);
    onTimeout("tmTGraph", &MainForm::tmTGraphTimer);
    for (const char* help : kHelpButtons) {
        connect(qobject_cast<QPushButton*>(widget(help)), &QPushButton::clicked, this,
                [this, help] { handle([help](MainForm& core) { core.bitPingClick(help); }); });
    }

    // The user's edits reach the model first, then the change handler runs.
    auto* host = qobject_cast<QComboBox*>(widget("host"));
    connect(host, &QComboBox::editTextChanged, this, [this, host](const QString& text) {
        const int index = host->findText(text);
        handle([text = text.toStdString(), index](MainForm& core) {
            core.host.text = text;
            core.host.itemIndex = index;
            core.hostChange();
        });
    });
    for (const char* name : {"cbFic", "cbIf"}) {
        const bool isIf = name == std::string_view("cbIf");
        connect(qobject_cast<QComboBox*>(widget(name)), &QComboBox::activated, this,
                [this, isIf](int index) {
                    handle([isIf, index](MainForm& core) {
                        (isIf ? core.cbIf : core.cbFic).select(index);
                        if (isIf) core.cbIfChange();
                    });
                });
    }
    struct TrackBarEvent {
        const char* name;
        TrackBar MainFormControls::*model;
        void (MainForm::*change)();
    };
    const TrackBarEvent trackBars[] = {
        {"tbHech", &MainFormControls::tbHech, &MainForm::tbHechChange},
        {"tbEch", &MainFormControls::tbEch, &MainForm::tbEchChange},
        {"tbHechT", &MainFormControls::tbHechT, nullptr},
        {"tbEchT", &MainFormControls::tbEchT, &MainForm::tbEchTChange}};
    for (const TrackBarEvent& t : trackBars) {
        connect(qobject_cast<QSlider*>(widget(t.name)), &QSlider::valueChanged, this,
                [this, t](int value) {
                    handle([t, value](MainForm& core) {
                        (core.*t.model).position = value;
                        if (t.change) (core.*t.change)();
                    });
                });
    }
    const std::pair<const char*, CheckBox MainFormControls::*> checkBoxes[] = {
        {"autoech", &MainFormControls::autoech}, {"autoechT", &MainFormControls::autoechT}};
    for (const auto& [name, model] : checkBoxes) {
        connect(qobject_cast<QCheckBox*>(widget(name)), &QCheckBox::toggled, this,
                [this, model = model](bool on) {
                    handle([model, on](MainForm& core) { (core.*model).checked = on; });
                });
    }
    connect(qobject_cast<QCheckBox*>(widget("burst")), &QCheckBox::toggled, this, [this](bool on) {
        handle([on](MainForm& core) {
            core.burst.checked = on;
            core.burstClick();
        });
    });
    // The unit buttons exclude each other: the one that became checked
    // speaks for both, the other's unchecking raises nothing.
    for (const char* name : {"rbKos", "RadioButton2"}) {
        connect(qobject_cast<QRadioButton*>(widget(name)), &QRadioButton::toggled, this,
                [this, name](bool on) {
                    if (!on) return;
                    handle([name](MainForm& core) {
                        core.rbKos.checked = name == std::string_view("rbKos");
                        core.RadioButton2.checked = !core.rbKos.checked;
                        core.rbKosClick(name);
                    });
                });
    }

    connect(action("Quitter1"), &QAction::triggered, this, &QWidget::close);
    connect(action("Configurer1"), &QAction::triggered, this,
            [this] { handle(&MainForm::Configurer1Click); });
    connect(action("Vrfierauthenticit1"), &QAction::triggered, this,
            [this] { handle(&MainForm::Vrfierauthenticit1Click); });
    connect(action("N1"), &QAction::triggered, this, [this] { handle(&MainForm::N1Click); });
}

void TForm1::sync() {
    binder_->sync(core_);
    if (isEnabled() != core_.window.enabled) setEnabled(core_.window.enabled);
    if (isVisible() != core_.window.visible) setVisible(core_.window.visible);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!windows_.run([this] { core_.FormClose(); })) {
        event->ignore();
        return;
    }
    core_.window.visible = false;
    event->accept();
    // Closing the main window ends the program, whatever else is open.
    QCoreApplication::quit();
}

}  // namespace ulz::ui
