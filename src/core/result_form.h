// The results window: the report memo and the big score caption that the
// benchmarks write into.
#pragma once

#include <string>

#include "core/controls.h"

namespace ulz {

class App;

struct ResultFormControls {
    WindowState window;
    Label Label2{"0 Zelk"};  // the score caption
    MemoLines Memo;

    template <class F>
    void forEachControl(F&& f) {
        f("Label2", Label2), f("Memo", Memo);
    }
};

class ResultForm : public ResultFormControls {
public:
    explicit ResultForm(App& app) : app_(app) {}

    void ClearReport() { Memo.lines.clear(); }
    // Appends the text as a new last line; every CR LF inside it starts a further line.
    void AddReportLine(const std::string& text);
    void SetScoreText(const std::string& text) { Label2.caption = text; }
    std::string GetScoreText() const { return Label2.caption; }
    // Shows the window without disabling the main window.
    void ShowResults() { window.visible = true; }
    // Enables the main window, whether or not it was disabled.
    void FormClose();

private:
    App& app_;
};

}  // namespace ulz
