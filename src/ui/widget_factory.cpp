#include "ui/widget_factory.h"

#include <QApplication>
#include <QStyle>

namespace ulz::ui {
namespace {

template <class W>
W* named(W* w, const char* name, int x, int y, int width, int height) {
    w->setObjectName(QString::fromLatin1(name));
    if (width < 0 || height < 0) {
        w->adjustSize();
        if (width < 0) width = w->width();
        if (height < 0) height = w->height();
    }
    w->setGeometry(x, y, width, height);
    return w;
}

}  // namespace

QFont programFont() {
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(11);
    return f;
}

QFont logoFont(const QString& family, int pixelHeight, bool bold, bool italic) {
    QFont f(family);
    f.setPixelSize(pixelHeight);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w,
                  int h) {
    return named(new QLabel(text, parent), name, x, y, w, h);
}

QPushButton* makeButton(QWidget* parent, const char* name, int x, int y, int w, int h, bool bold) {
    auto* b = named(new QPushButton(parent), name, x, y, w, h);
    if (bold) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    return b;
}

QPushButton* makeHelpButton(QWidget* parent, const char* name, int x, int y) {
    auto* b = named(new QPushButton(parent), name, x, y, 25, 25);
    b->setIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    b->setIconSize(QSize(16, 15));
    b->setToolTip(QStringLiteral("Aide"));
    return b;
}

QComboBox* makeCombo(QWidget* parent, const char* name, bool editable, int x, int y, int w) {
    auto* c = new QComboBox(parent);
    c->setEditable(editable);
    if (editable) c->setInsertPolicy(QComboBox::NoInsert);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return named(c, name, x, y, w, 21);
}

QSlider* makeTrackBar(QWidget* parent, const char* name, int tickInterval,
                      QSlider::TickPosition ticks, int x, int y, int w) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setTickInterval(tickInterval);
    s->setTickPosition(ticks);
    return named(s, name, x, y, w, 24);
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, int x, int y) {
    return named(new QCheckBox(parent), name, x, y, 100, 17);
}

QRadioButton* makeRadio(QWidget* parent, const char* name, int x, int y) {
    return named(new QRadioButton(parent), name, x, y, 55, 17);
}

QGroupBox* makeGroup(QWidget* parent, const char* name, int x, int y, int w, int h) {
    return named(new QGroupBox(parent), name, x, y, w, h);
}

QFrame* makeShape(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* f = named(new QFrame(parent), name, x, y, w, h);
    f->setFrameShape(QFrame::Box);
    f->setLineWidth(1);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    f->setPalette(p);
    return f;
}

QTimer* makeTimer(QObject* parent, const char* name) {
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    // The figures assume that a tick lasts exactly its interval.
    t->setTimerType(Qt::PreciseTimer);
    return t;
}

void makeLogo(QWidget* parent) {
    auto* ulvek = makeLabel(parent, "Label9", QStringLiteral("Ulvek"), 4, 2, -1, 55);
    ulvek->setFont(logoFont(QStringLiteral("Arial"), 48, true, true));
    ulvek->adjustSize();
    ulvek->setFixedHeight(55);
    QPalette p = ulvek->palette();
    p.setColor(QPalette::WindowText, QColor(17, 152, 255));
    ulvek->setPalette(p);

    auto* lineZelk =
        makeLabel(parent, "Label10", QStringLiteral("LineZelk"), ulvek->x() + ulvek->width(), 12);
    lineZelk->setFont(logoFont(QStringLiteral("Arial"), 37, false, false));
    lineZelk->adjustSize();

    auto* year = makeLabel(parent, "Label11", QStringLiteral("2002"),
                           lineZelk->x() + lineZelk->width() + 6, 16);
    year->setFont(logoFont(QStringLiteral("Verdana"), 32, true, false));
    year->adjustSize();
    p = year->palette();
    p.setColor(QPalette::WindowText, Qt::red);
    year->setPalette(p);
}

}  // namespace ulz::ui
