#include "ui/opts_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "ui/line_edit.h"
#include "ui/program_windows.h"
#include "ui/widget_factory.h"

namespace ulz::ui {

TOpts::TOpts(ProgramWindows& windows, OptsForm& core)
    : ToolWindow(windows, core.window, "Opts", QStringLiteral("Options"), 210, 141), core_(core) {
    constexpr int kClientWidth = 210;
    constexpr int kClientHeight = 141;
    // Lists and edits line up after the widest caption of their rows, so that
    // the captions fit whatever the font.
    const QLabel* listLabels[] = {makeLabel(this, "Label1", QStringLiteral("Région :"), 8, 12),
                                  makeLabel(this, "Label2", QStringLiteral("Modem :"), 8, 38),
                                  makeLabel(this, "Label3", QStringLiteral("Forfait :"), 8, 64)};
    const QLabel* rateLabels[] = {
        makeLabel(this, "Label4", QStringLiteral("Download (bps) :"), 8, 92),
        makeLabel(this, "Label5", QStringLiteral("Upload (bps)"), 8, 116)};
    int listX = 0;
    for (const QLabel* l : listLabels) listX = std::max(listX, l->x() + l->width() + 6);
    int editX = 0;
    for (const QLabel* l : rateLabels) editX = std::max(editX, l->x() + l->width() + 4);
    constexpr int kEditWidth = 52;
    const int buttonX = editX + kEditWidth + 4;
    const int width = std::max(kClientWidth, buttonX + 57 + 4);
    const int listWidth = width - 8 - listX;

    makeCombo(this, "cbRegion", false, listX, 8, listWidth);
    makeCombo(this, "cbModem", false, listX, 34, listWidth);
    makeCombo(this, "cbForfait", false, listX, 60, listWidth);
    makeEdit(this, "down", editX, 88, kEditWidth);
    makeEdit(this, "up", editX, 112, kEditWidth);
    makeButton(this, "Button1", buttonX, 86, 57, 49);
    if (width != kClientWidth) {
        setFixedSize(width, kClientHeight);
        if (const QScreen* screen = QApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }

    finishBuild();
    binder_->verify(core_);
    connectEvents();
    onClose_ = [this] { core_.FormClose(); };
}

void TOpts::connectEvents() {
    auto combo = [this](const char* name) { return qobject_cast<QComboBox*>(binder_->find(name)); };
    auto edit = [this](const char* name) { return qobject_cast<QLineEdit*>(binder_->find(name)); };

    // Only the user's choices run the change handlers; the binder blocks the
    // signals of selections made by the program.
    connect(combo("cbRegion"), &QComboBox::activated, this, [this](int index) {
        windows_.run([this, index] {
            core_.cbRegion.select(index);
            core_.cbRegionChange();
        });
    });
    connect(combo("cbModem"), &QComboBox::activated, this,
            [this](int index) { windows_.run([this, index] { core_.cbModem.select(index); }); });
    connect(combo("cbForfait"), &QComboBox::activated, this, [this](int index) {
        windows_.run([this, index] {
            core_.cbForfait.select(index);
            core_.cbForfaitChange();
        });
    });
    // Typed rates hold at once: the measurements read the edits' texts.
    for (Edit* model : {&core_.down, &core_.up}) {
        const char* name = model == &core_.down ? "down" : "up";
        connect(edit(name), &QLineEdit::textEdited, this, [this, model](const QString& text) {
            windows_.run([model, text = text.toStdString()] { model->text = text; });
        });
    }
    connect(qobject_cast<QPushButton*>(binder_->find("Button1")), &QPushButton::clicked, this,
            [this] { windows_.run([this] { core_.Button1Click(); }); });
}

void TOpts::sync() {
    binder_->sync(core_);
    syncWindowState();
}

}  // namespace ulz::ui
