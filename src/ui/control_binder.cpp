#include "ui/control_binder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

namespace ulz::ui {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// Compares the widget's own state: a child of a disabled group reads as
// disabled although its own flag is set.
void setEnabled(QWidget* w, bool enabled) {
    if (w->testAttribute(Qt::WA_ForceDisabled) == enabled) w->setEnabled(enabled);
}

template <class W>
W* as(QObject* o) {
    auto* w = qobject_cast<W*>(o);
    if (!w) throw std::logic_error("widget of the wrong kind: " + o->objectName().toStdString());
    return w;
}

}  // namespace

ControlBinder::ControlBinder(QWidget* root) {
    for (QObject* o : root->findChildren<QObject*>()) {
        if (!o->objectName().isEmpty() && !objects_.contains(o->objectName())) {
            objects_.insert(o->objectName(), o);
        }
    }
}

void ControlBinder::apply(QObject* o, const Label& m) {
    auto* w = as<QLabel>(o);
    if (w->text() != q(m.caption)) w->setText(q(m.caption));
    // The colour last applied is kept on the widget, so the palette is touched only on change.
    const QVariant wanted =
        m.fontColor ? QVariant(QColor(m.fontColor->r, m.fontColor->g, m.fontColor->b)) : QVariant();
    if (w->property("ulzFontColor") != wanted) {
        QPalette p;  // nothing set: the label follows its parent's colours
        if (m.fontColor) p.setColor(QPalette::WindowText, wanted.value<QColor>());
        w->setPalette(p);
        w->setProperty("ulzFontColor", wanted);
    }
    setEnabled(w, m.enabled);
}

void ControlBinder::apply(QObject* o, const Button& m) {
    auto* w = as<QPushButton>(o);
    if (w->text() != q(m.caption)) w->setText(q(m.caption));
    setEnabled(w, m.enabled);
}

void ControlBinder::apply(QObject* o, const BitButton& m) {
    setEnabled(as<QPushButton>(o), m.enabled);
}

void ControlBinder::apply(QObject* o, const CheckBox& m) {
    auto* w = as<QCheckBox>(o);
    const QSignalBlocker block(w);
    if (w->text() != q(m.caption)) w->setText(q(m.caption));
    if (w->isChecked() != m.checked) w->setChecked(m.checked);
    setEnabled(w, m.enabled);
}

void ControlBinder::apply(QObject* o, const RadioButton& m) {
    auto* w = as<QRadioButton>(o);
    const QSignalBlocker block(w);
    if (w->text() != q(m.caption)) w->setText(q(m.caption));
    if (w->isChecked() != m.checked) w->setChecked(m.checked);
    setEnabled(w, m.enabled);
}

void ControlBinder::apply(QObject* o, const ComboBox& m) {
    auto* w = as<QComboBox>(o);
    const QSignalBlocker block(w);
    bool same = w->count() == static_cast<int>(m.items.size());
    for (int i = 0; same && i < w->count(); ++i) {
        same = w->itemText(i) == q(m.items[static_cast<std::size_t>(i)]);
    }
    if (!same) {
        w->clear();
        for (const auto& item : m.items) w->addItem(q(item));
    }
    if (w->isEditable()) {
        // Typing leaves the selection alone; only a selection made by the
        // program moves it, so the caret stays where the user types.
        if (m.itemIndex >= 0 && w->currentIndex() != m.itemIndex) w->setCurrentIndex(m.itemIndex);
        if (w->currentText() != q(m.text)) w->setEditText(q(m.text));
    } else if (w->currentIndex() != m.itemIndex) {
        w->setCurrentIndex(m.itemIndex);
    }
    setEnabled(w, m.enabled);
}

void ControlBinder::apply(QObject* o, const Edit& m) {
    auto* w = as<QLineEdit>(o);
    const QSignalBlocker block(w);
    if (w->text() != q(m.text)) w->setText(q(m.text));
    setEnabled(w, m.enabled);
}

void ControlBinder::apply(QObject* o, const TrackBar& m) {
    auto* w = as<QSlider>(o);
    const QSignalBlocker block(w);
    if (w->minimum() != m.min || w->maximum() != m.max) w->setRange(m.min, m.max);
    if (w->value() != m.position) w->setValue(m.position);
    setEnabled(w, m.enabled);
}

void ControlBinder::apply(QObject* o, const GroupBox& m) {
    auto* w = as<QGroupBox>(o);
    if (w->title() != q(m.caption)) w->setTitle(q(m.caption));
    setEnabled(w, m.enabled);
}

void ControlBinder::apply(QObject* o, const Timer& m) {
    auto* t = as<QTimer>(o);
    if (t->interval() != m.intervalMs) t->setInterval(m.intervalMs);
    if (t->isActive() != m.enabled) {
        if (m.enabled) {
            t->start();
        } else {
            t->stop();
        }
    }
}

void ControlBinder::apply(QObject* o, const MemoLines& m) {
    auto* w = as<QPlainTextEdit>(o);
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(m.lines.size()));
    for (const auto& line : m.lines) lines << q(line);
    const QString text = lines.join(QLatin1Char('\n'));
    if (w->toPlainText() != text) w->setPlainText(text);
}

void ControlBinder::apply(QObject* o, const Canvas& m) {
    auto* w = as<QLabel>(o);
    // The revision drawn last is kept on the widget: the picture is copied only when it changed.
    const auto revision = static_cast<qulonglong>(m.revision());
    if (w->property("ulzRevision").toULongLong() == revision && !w->pixmap().isNull()) return;
    QImage image(m.width(), m.height(), QImage::Format_RGB32);
    for (int y = 0; y < m.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < m.width(); ++x) {
            const Rgb p = m.pixel(x, y);
            line[x] = qRgb(p.r, p.g, p.b);
        }
    }
    w->setPixmap(QPixmap::fromImage(image));
    w->setProperty("ulzRevision", revision);
}

}  // namespace ulz::ui
