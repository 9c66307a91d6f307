#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QLineEdit;
class QToolButton;

namespace zentu {

/// The up-down spinner beside a text box: two arrow buttons that step a whole number by 1 within its range (no
/// wrapping). Its value starts at the minimum. valueChanged is emitted whenever the value changes, by a click or by
/// the program, so the rules of the dialogs run either way.
class UpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)

public:
    explicit UpDown(QWidget* parent = nullptr);

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int value() const { return m_value; }
    /// The range; the value is moved into it when it lies outside (without valueChanged: this is the design).
    void setMinimum(int minimum);
    void setMaximum(int maximum);

    /// Sets the value. A value outside the range is refused: false, and the value stays.
    bool setValue(int value);
    /// Sets a value that comes from a text or a stored setting, rounded (a half to the even neighbour). Within the
    /// range it is setValue. Outside it (or not a number), the nearest end of the range is shown without
    /// valueChanged, so that the text it came from stays as it is until the user steps the spinner. False then.
    bool setValueOrShowClamped(double value);

    /// One step up or down, as a click on an arrow does.
    void stepUp();
    void stepDown();

signals:
    void valueChanged(int value);

private:
    void updateButtons();

    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
    QToolButton* m_up;
    QToolButton* m_down;
};

/// Binds a text box to the spinner at its right. A change of the spinner's value writes it into the box (in the
/// form `format` gives), except when the change came from the box itself. With `followBox`, every change of the
/// box's text (typed or set by the program) moves the spinner to the text's leading number
/// (UpDown::setValueOrShowClamped), so a text the spinner cannot hold stays as it is.
class SpinnerBinding : public QObject {
    Q_OBJECT

public:
    using Format = std::function<QString(int)>;
    SpinnerBinding(QLineEdit* box, UpDown* spinner, Format format, bool followBox);

    /// The value as decimal text.
    static QString Decimal(int value);
    /// The value as two digits with a leading zero ("0" in front, the last two characters kept).
    static QString TwoDigits(int value);

private:
    void spinnerChanged(int value);
    void boxChanged(const QString& text);

    QLineEdit* m_box;
    UpDown* m_spinner;
    Format m_format;
    bool m_fromBox = false;
};

} // namespace zentu
