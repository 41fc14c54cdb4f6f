#include "ui/auth_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "ui/line_edit.h"
#include "ui/program_windows.h"
#include "ui/widget_factory.h"

namespace ulz::ui {
namespace {

constexpr int kGroupWidth = 304;
constexpr int kGroupHeight = 120;

// One row of a check: a caption, the edit, and the unit printed after the figure.
struct Field {
    const char* label;
    const char* caption;
    const char* edit;
    int editWidth;
    const char* unitLabel;  // nullptr: no unit
    const char* unit;
};

// Two columns of three rows. Each column's edits line up after its widest
// label, so the captions fit whatever the font; returns the width the rows need.
int layOut(QWidget* group, const Field (&fields)[6]) {
    int x = 8;
    for (int column = 0; column < 2; ++column) {
        const Field* rows = fields + 3 * column;
        QLabel* labels[3];
        int labelWidth = 0;
        for (int row = 0; row < 3; ++row) {
            labels[row] = makeLabel(group, rows[row].label, QString::fromUtf8(rows[row].caption), x,
                                    20 + 24 * row);
            labelWidth = std::max(labelWidth, labels[row]->width());
        }
        const int editX = x + labelWidth + 4;
        int end = editX;
        for (int row = 0; row < 3; ++row) {
            const Field& f = rows[row];
            const int y = labels[row]->y();
            makeEdit(group, f.edit, editX, y - 4, f.editWidth);
            end = std::max(end, editX + f.editWidth);
            if (f.unitLabel) {
                QLabel* unit = makeLabel(group, f.unitLabel, QString::fromUtf8(f.unit),
                                         editX + f.editWidth + 4, y);
                end = std::max(end, unit->x() + unit->width());
            }
        }
        x = end + 10;
    }
    return x - 2;
}

}  // namespace

TAuth::TAuth(ProgramWindows& windows, AuthForm& core)
    // Twice the height of one check: the throughput check sits below the ping check.
    : ToolWindow(windows, core.window, "Auth", QStringLiteral("Vérification d'authenticité"),
                 kGroupWidth, 2 * kGroupHeight),
      core_(core) {
    // The design's width, or more when the font's captions need it.
    const int width = std::max({kGroupWidth, buildPingGroup(), buildDebitGroup()});
    setFixedSize(width, 2 * kGroupHeight);
    for (const char* name : {"GroupBox1", "GroupBox2"}) {
        auto* group = findChild<QGroupBox*>(QString::fromLatin1(name));
        group->resize(width, kGroupHeight);
        // The button sits centred below the rows.
        auto* button = group->findChild<QPushButton*>();
        button->move((width - button->width()) / 2, button->y());
    }
    if (const QScreen* screen = QApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    finishBuild();
    binder_->verify(core_);
    connectEvents();
    onClose_ = [this] { core_.FormClose(); };
}

int TAuth::buildPingGroup() {
    QGroupBox* g = makeGroup(this, "GroupBox1", 0, 0, kGroupWidth, kGroupHeight);
    const Field fields[6] = {
        {"Label1", "Minimum", "min", 44, "Label7", "ms"},
        {"Label2", "Moyenne", "moy", 44, "Label8", "ms"},
        {"Label3", "Maximum", "max", 44, "Label9", "ms"},
        {"Label4", "Coupures", "coup", 44, "Label10", "s"},
        {"Label5", "Score", "score", 44, "Label11", "PingZelk"},
        {"Label6", "Certificat", "certif", 88, nullptr, nullptr},
    };
    const int width = layOut(g, fields);
    makeButton(g, "Button1", 0, 92, 75, 23);
    return width;
}

int TAuth::buildDebitGroup() {
    QGroupBox* g = makeGroup(this, "GroupBox2", 0, kGroupHeight, kGroupWidth, kGroupHeight);
    // The FTP rate is typed with its unit, as the report prints it (45,3ko/s).
    const Field fields[6] = {
        {"Label12", "Débit FTP (UL)", "deb", 56, nullptr, nullptr},
        {"Label13", "Pertes (UL)", "perte", 44, "Label14", "%"},
        {"Label15", "Instabilité (DL) :", "inst", 44, nullptr, nullptr},
        {"Label16", "Burst (UL)", "burst", 44, nullptr, nullptr},
        {"Label17", "Score", "scor", 44, "Label18", "LineZelk"},
        {"Label19", "Certificat", "certi", 88, nullptr, nullptr},
    };
    const int width = layOut(g, fields);
    makeButton(g, "Button2", 0, 92, 75, 23);
    return width;
}

void TAuth::connectEvents() {
    const std::pair<const char*, Edit*> edits[] = {
        {"min", &core_.min},     {"moy", &core_.moy},     {"max", &core_.max},
        {"coup", &core_.coup},   {"score", &core_.score}, {"certif", &core_.certif},
        {"deb", &core_.deb},     {"perte", &core_.perte}, {"inst", &core_.inst},
        {"burst", &core_.burst}, {"scor", &core_.scor},   {"certi", &core_.certi}};
    for (const auto& [name, model] : edits) {
        connect(qobject_cast<QLineEdit*>(binder_->find(name)), &QLineEdit::textEdited, this,
                [this, model = model](const QString& text) {
                    windows_.run([model, text = text.toStdString()] { model->text = text; });
                });
    }
    connect(qobject_cast<QPushButton*>(binder_->find("Button1")), &QPushButton::clicked, this,
            [this] { windows_.run([this] { core_.Button1Click(); }); });
    connect(qobject_cast<QPushButton*>(binder_->find("Button2")), &QPushButton::clicked, this,
            [this] { windows_.run([this] { core_.Button2Click(); }); });
}

void TAuth::sync() {
    binder_->sync(core_);
    syncWindowState();
}

}  // namespace ulz::ui
