#pragma once

class QLineEdit;
class QString;

namespace zentu {

class Prompts;

/// Refuses, where it is typed or pasted, text that CP932 cannot hold (every file of the system is CP932): the box
/// goes back to its text before that edit, and the user is told which character cannot be used.
void RefuseTextOutsideCp932(QLineEdit* box, Prompts& prompts);

/// The first character of `text` that CP932 cannot hold, or the empty text when it holds them all.
QString FirstCharacterOutsideCp932(const QString& text);

} // namespace zentu
