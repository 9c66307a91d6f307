#pragma once

#include <QString>

class QWidget;

namespace zentu {

/// The message boxes and file dialogs a window shows. Windows ask through this interface so that tests can answer
/// instead of a user and no test ever blocks on a modal box. The calls added after the first two have harmless
/// defaults (a warning is shown as a notice, a file dialog counts as cancelled), so a test that does not care about
/// them need not answer them.
class Prompts {
public:
    virtual ~Prompts() = default;
    /// A plain notice (no icon) with an OK button and the program's name as its title.
    virtual void notify(QWidget* parent, const QString& text) = 0;
    /// A Yes/No question with the question icon and its own title; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    /// A notice with the information icon, an OK button and a title of its own. Scripted prompts that do not
    /// care for the title get it as a notice.
    virtual void inform(QWidget* parent, const QString& title, const QString& text) {
        (void)title;
        notify(parent, text);
    }
    /// A failure the user must read (the warning icon, an OK button, the program's name as its title).
    virtual void warn(QWidget* parent, const QString& text);
    /// The standard open dialog: an existing file matching `filter` (Qt's "Description (*.a *.b)" form), starting
    /// at `start`. The empty text when the user cancels.
    virtual QString openFile(QWidget* parent, const QString& filter, const QString& start);
    /// The standard save dialog: a file name in an existing folder, starting at `start`; no question about
    /// replacing an existing file (nothing is written yet). The empty text when the user cancels.
    virtual QString saveFile(QWidget* parent, const QString& filter, const QString& start);
};

/// Prompts shown as real message boxes and the platform's file dialogs.
class MessageBoxPrompts : public Prompts {
public:
    void notify(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;
    void inform(QWidget* parent, const QString& title, const QString& text) override;
    void warn(QWidget* parent, const QString& text) override;
    QString openFile(QWidget* parent, const QString& filter, const QString& start) override;
    QString saveFile(QWidget* parent, const QString& filter, const QString& start) override;
};

} // namespace zentu
