#include "ui/result_window.h"

#include <QPlainTextEdit>

#include "ui/widget_factory.h"

namespace ulz::ui {

TResult::TResult(ProgramWindows& windows, ResultForm& core)
    : ToolWindow(windows, core.window, "Result", QStringLiteral("Résultats"), 489, 522),
      core_(core) {
    makeLogo(this);
    makeShape(this, "Shape1", 8, 62, 305, 3)->setFrameShape(QFrame::HLine);
    auto* title = makeLabel(this, "Label1", QStringLiteral("Résultats"), 8, 68);
    title->setFont(logoFont(QStringLiteral("Arial"), 15, true, true));
    title->adjustSize();

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(8, 92, 473, 65);
    auto* score = makeLabel(panel, "Label2", QString(), 0, 0, 473, 65);
    score->setFont(logoFont(QStringLiteral("Arial"), 48, false, false));
    score->setAlignment(Qt::AlignCenter);

    auto* memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral("Memo"));
    memo->setGeometry(24, 171, 441, 337);
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette p = memo->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    memo->setPalette(p);

    finishBuild();
    binder_->verify(core_);
    onClose_ = [this] { core_.FormClose(); };
}

void TResult::sync() {
    binder_->sync(core_);
    syncWindowState();
}

}  // namespace ulz::ui
