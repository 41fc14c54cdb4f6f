// The results window: logo, score caption and the report.
#pragma once

#include "core/result_form.h"
#include "ui/tool_window.h"

namespace ulz::ui {

class TResult : public ToolWindow {
    Q_OBJECT
public:
    TResult(ProgramWindows& windows, ResultForm& core);
    void sync();

private:
    ResultForm& core_;
};

}  // namespace ulz::ui
