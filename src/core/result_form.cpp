#include "core/result_form.h"

#include "core/app.h"

namespace ulz {

void ResultForm::AddReportLine(const std::string& text) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t crlf = text.find("\r\n", start);
        Memo.lines.push_back(text.substr(start, crlf - start));
        if (crlf == std::string::npos) break;
        start = crlf + 2;
    }
}

void ResultForm::FormClose() {
    window.visible = false;
    app_.Form1.window.enabled = true;
}

}  // namespace ulz
