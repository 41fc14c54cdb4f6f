// The two ways the program speaks to the user: a plain message box with an
// OK button, and the error box that shows a failure's message.
#pragma once

#include <string>

namespace ulz {

class Messages {
public:
    virtual ~Messages() = default;
    // Texts may hold CR LF pairs, which break the line.
    virtual void showMessage(const std::string& text) = 0;
    virtual void showError(const std::string& text) = 0;
};

}  // namespace ulz
