// Mirrors the core's control models onto the widgets of one window, found by
// object name. Called after every event, it touches only what changed.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QWidget>
#include <stdexcept>

#include "core/canvas.h"
#include "core/controls.h"

namespace ulz::ui {

class ControlBinder {
public:
    // Indexes the named children of `root`; call once the window is built.
    explicit ControlBinder(QWidget* root);

    template <class Controls>
    void sync(Controls& controls) {
        controls.forEachControl(
            [this](const char* name, auto& control) { apply(find(name), control); });
    }

    // Throws when a control of the model has no widget of that name.
    template <class Controls>
    void verify(Controls& controls) {
        controls.forEachControl([this](const char* name, auto&) {
            if (!find(name)) throw std::logic_error(std::string("no widget named ") + name);
        });
    }

    QObject* find(const char* name) const { return objects_.value(QString::fromLatin1(name)); }

private:
    static void apply(QObject* o, const Label& m);
    static void apply(QObject* o, const Button& m);
    static void apply(QObject* o, const BitButton& m);
    static void apply(QObject* o, const CheckBox& m);
    static void apply(QObject* o, const RadioButton& m);
    static void apply(QObject* o, const ComboBox& m);
    static void apply(QObject* o, const Edit& m);
    static void apply(QObject* o, const TrackBar& m);
    static void apply(QObject* o, const GroupBox& m);
    static void apply(QObject* o, const Timer& m);
    static void apply(QObject* o, const MemoLines& m);
    static void apply(QObject* o, const Canvas& m);

    QHash<QString, QObject*> objects_;
};

}  // namespace ulz::ui
