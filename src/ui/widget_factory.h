// Small helpers that place named controls at fixed positions, the way the
// windows are laid out.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

namespace ulz::ui {

QFont programFont();  // the windows' text font, 11 px sans serif
QFont logoFont(const QString& family, int pixelHeight, bool bold, bool italic);

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w = -1,
                  int h = -1);
QPushButton* makeButton(QWidget* parent, const char* name, int x, int y, int w, int h,
                        bool bold = false);
// A 25 x 25 button with the help glyph.
QPushButton* makeHelpButton(QWidget* parent, const char* name, int x, int y);
QComboBox* makeCombo(QWidget* parent, const char* name, bool editable, int x, int y, int w);
QSlider* makeTrackBar(QWidget* parent, const char* name, int tickInterval,
                      QSlider::TickPosition ticks, int x, int y, int w);
QCheckBox* makeCheckBox(QWidget* parent, const char* name, int x, int y);
QRadioButton* makeRadio(QWidget* parent, const char* name, int x, int y);
QGroupBox* makeGroup(QWidget* parent, const char* name, int x, int y, int w, int h);
// A white rectangle with a black outline (the frame of a graph or a strip).
QFrame* makeShape(QWidget* parent, const char* name, int x, int y, int w, int h);
QTimer* makeTimer(QObject* parent, const char* name);
// The three logo labels "Ulvek", "LineZelk", "2002" at the window's top left.
void makeLogo(QWidget* parent);

}  // namespace ulz::ui
