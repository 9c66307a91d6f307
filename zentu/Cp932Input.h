#pragma once

class QLineEdit;
class QString;

namespace zentu {

class Prompts;

/// Refuses, where it is typed or pasted, text that CP932 cannot hold (every file of the system is CP932): the box
/// goes back to its text before that edit, and the user is told which character cannot be used.
void RefuseTextOutsideCp932(QLineEdit* box, Prompts& prompts);

/// Refuses, where it is typed or pasted, a path whose CP932 form is longer than a job's settings file can hold (255
/// bytes): the box goes back to its text before that edit, and the user is told the path and its length. `what`
/// names the path ("ログファイル", "出力ファイル").
void RefusePathThatDoesNotFit(QLineEdit* box, Prompts& prompts, const char* what);

/// The first character of `text` that CP932 cannot hold, or the empty text when it holds them all.
QString FirstCharacterOutsideCp932(const QString& text);

} // namespace zentu
