#include "ui/message_box.h"

#include <QMessageBox>

namespace ulz::ui {
namespace {

MessageHook& hook() {
    static MessageHook h;
    return h;
}

void show(MessageKind kind, const QString& text) {
    if (hook()) {
        hook()(kind, text);
        return;
    }
    // The program's texts break lines with CR LF; a lone LF is what the box expects.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QStringLiteral("UlvekLineZelk"), shown, QMessageBox::Ok);
    box.exec();
}

}  // namespace

void showMessage(const QString& text) {
    show(MessageKind::Information, text);
}
void showError(const QString& text) {
    show(MessageKind::Error, text);
}
void setMessageHook(MessageHook h) {
    hook() = std::move(h);
}

void QtMessages::showMessage(const std::string& text) {
    ui::showMessage(QString::fromStdString(text));
}
void QtMessages::showError(const std::string& text) {
    ui::showError(QString::fromStdString(text));
}

}  // namespace ulz::ui
