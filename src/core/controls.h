// Plain data models of the window controls that the program's handlers read
// and write. The Qt windows mirror them after every event; tests read them directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ulz {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 128, 0};

struct Label {
    explicit Label(std::string c = {}) : caption(std::move(c)) {}
    std::string caption;
    std::optional<Rgb> fontColor;  // empty: the window's text colour
    bool enabled = true;
};

struct Button {
    explicit Button(std::string c = {}) : caption(std::move(c)) {}
    std::string caption;
    bool enabled = true;
};

// Help buttons carry a glyph, no caption.
struct BitButton {
    bool enabled = true;
};

struct CheckBox {
    CheckBox(std::string c, bool ticked) : caption(std::move(c)), checked(ticked) {}
    std::string caption;
    bool checked = false;
    bool enabled = true;
};

struct RadioButton {
    RadioButton(std::string c, bool selected) : caption(std::move(c)), checked(selected) {}
    std::string caption;
    bool checked = false;
    bool enabled = true;
};

struct ComboBox {
    explicit ComboBox(bool isEditable = false) : editable(isEditable) {}
    std::vector<std::string> items;
    int itemIndex = -1;  // -1: no selection
    std::string text;    // the edit text of an editable box; else the selected item
    bool editable = false;
    bool enabled = true;

    // Selecting by program raises no change event. An index outside the
    // list leaves no selection; an editable box then keeps its typed text,
    // unless the selection is cleared on purpose with -1.
    void select(int index) {
        if (index >= 0 && index < static_cast<int>(items.size())) {
            itemIndex = index;
            text = items[static_cast<std::size_t>(index)];
            return;
        }
        itemIndex = -1;
        if (!editable || index == -1) text.clear();
    }
};

struct Edit {
    std::string text;
    bool enabled = true;
};

struct TrackBar {
    TrackBar(int lo, int hi, int pos) : min(lo), max(hi), position(pos) {}
    int min, max, position;
    bool enabled = true;
};

struct GroupBox {
    explicit GroupBox(std::string c) : caption(std::move(c)) {}
    std::string caption;
    bool enabled = true;  // disabling a group disables everything inside it
};

struct Timer {
    explicit Timer(int interval) : intervalMs(interval) {}
    bool enabled = false;
    int intervalMs;
};

// A top-level window's own state.
struct WindowState {
    bool visible = false;
    bool enabled = true;
};

// A report memo: its lines, in order.
struct MemoLines {
    std::vector<std::string> lines;
};

}  // namespace ulz
