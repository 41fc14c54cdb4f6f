// Every message box of the program goes through these two functions, so that
// tests can capture what would be shown.
#pragma once

#include <QString>
#include <functional>

#include "core/messages.h"

namespace ulz::ui {

enum class MessageKind { Information, Error };

void showMessage(const QString& text);
void showError(const QString& text);

// While a hook is set, it receives the messages instead of a box being shown.
using MessageHook = std::function<void(MessageKind, const QString&)>;
void setMessageHook(MessageHook hook);

// The core's view of the message boxes.
class QtMessages : public Messages {
public:
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
};

}  // namespace ulz::ui
