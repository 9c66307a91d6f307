#pragma once

#include <QString>

class QWidget;

namespace zentu {

/// The message boxes a window shows. Windows ask through this interface so that tests can answer instead of a
/// user and no test ever blocks on a modal box.
class Prompts {
public:
    virtual ~Prompts() = default;
    /// A notice with an OK button and the program's name as its title.
    virtual void notify(QWidget* parent, const QString& text) = 0;
    /// A Yes/No question with the question icon and its own title; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    /// A notice with the information icon, an OK button and a title of its own. Scripted prompts that do not
    /// care for the title get it as a notice.
    virtual void inform(QWidget* parent, const QString& title, const QString& text) {
        (void)title;
        notify(parent, text);
    }
};

/// Prompts shown as real message boxes.
class MessageBoxPrompts : public Prompts {
public:
    void notify(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;
    void inform(QWidget* parent, const QString& title, const QString& text) override;
};

} // namespace zentu
