#include "gui/UpDown.h"

#include "text/NumberText.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace zentu {

UpDown::UpDown(QWidget* parent) : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setObjectName(QStringLiteral("up"));
    m_down->setObjectName(QStringLiteral("down"));
    // As tall as the text box beside it.
    const QLineEdit probe;
    setFixedSize(18, probe.sizeHint().height());
    connect(m_up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDown::stepDown);
    updateButtons();
}

void UpDown::setMinimum(int minimum) {
    m_minimum = minimum;
    m_maximum = std::max(m_maximum, minimum);
    m_value = std::clamp(m_value, m_minimum, m_maximum);
    updateButtons();
}

void UpDown::setMaximum(int maximum) {
    m_maximum = maximum;
    m_minimum = std::min(m_minimum, maximum);
    m_value = std::clamp(m_value, m_minimum, m_maximum);
    updateButtons();
}

bool UpDown::setValue(int value) {
    if (value < m_minimum || value > m_maximum) {
        return false;
    }
    if (value != m_value) {
        m_value = value;
        updateButtons();
        emit valueChanged(m_value);
    }
    return true;
}

bool UpDown::setValueOrShowClamped(double value) {
    const double rounded = RoundHalfEven(value);
    if (std::isfinite(rounded) && rounded >= m_minimum && rounded <= m_maximum) {
        return setValue(static_cast<int>(rounded));
    }
    m_value = std::isnan(rounded) || rounded < m_minimum ? m_minimum : m_maximum;
    updateButtons();
    return false;
}

void UpDown::stepUp() {
    if (m_value < m_maximum) {
        setValue(m_value + 1);
    }
}

void UpDown::stepDown() {
    if (m_value > m_minimum) {
        setValue(m_value - 1);
    }
}

void UpDown::updateButtons() {
    m_up->setEnabled(m_value < m_maximum);
    m_down->setEnabled(m_value > m_minimum);
}

SpinnerBinding::SpinnerBinding(QLineEdit* box, UpDown* spinner, Format format, bool followBox)
    : QObject(box), m_box(box), m_spinner(spinner), m_format(std::move(format)) {
    connect(spinner, &UpDown::valueChanged, this, &SpinnerBinding::spinnerChanged);
    if (followBox) {
        connect(box, &QLineEdit::textChanged, this, &SpinnerBinding::boxChanged);
    }
}

QString SpinnerBinding::Decimal(int value) {
    return QString::number(value);
}

QString SpinnerBinding::TwoDigits(int value) {
    return (QStringLiteral("0") + QString::number(value)).right(2);
}

void SpinnerBinding::spinnerChanged(int value) {
    if (!m_fromBox) {
        m_box->setText(m_format(value));
    }
}

void SpinnerBinding::boxChanged(const QString& text) {
    m_fromBox = true;
    m_spinner->setValueOrShowClamped(Val(text.toStdString()));
    m_fromBox = false;
}

} // namespace zentu
