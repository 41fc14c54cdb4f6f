// An interface table whose rows the test sets; the core and GUI tests share it.
#pragma once

#include <vector>

#include "core/interface_table.h"

namespace ulz::testing {

class FakeInterfaceTable : public InterfaceTable {
public:
    std::vector<InterfaceRow> read() override {
        ++reads;
        return rows;
    }

    // None by default: the program then lists nothing and selects nothing.
    std::vector<InterfaceRow> rows;
    int reads = 0;
};

}  // namespace ulz::testing
