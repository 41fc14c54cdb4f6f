// A named single-line edit at a fixed position, for the windows that take
// typed texts (options and verification).
#pragma once

#include <QLineEdit>

namespace ulz::ui {

inline QLineEdit* makeEdit(QWidget* parent, const char* name, int x, int y, int w) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(x, y, w, 21);
    return e;
}

}  // namespace ulz::ui
