#pragma once

#include <string_view>

class QLineEdit;

namespace zentu {

class Prompts;

/// Refuses, where it is typed or pasted, a call sign that an ADIF field cannot hold (a character that is not ASCII,
/// a blank): the box goes back to its text before that edit, and the user is told why. `what` names the call sign.
void RefuseCallsignAdifCannotHold(QLineEdit* box, Prompts& prompts, std::string_view what);

} // namespace zentu
