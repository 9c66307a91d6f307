#pragma once

namespace zentu {

/// Installs Qt's own Japanese texts (the standard buttons of the message boxes, the file dialogs), whatever the
/// system's language: the whole interface is Japanese. The file qtbase_ja.qm is looked for in the program's folder
/// first (the Windows package carries it there), then in Qt's translations folder. False when it is in neither:
/// Qt's own texts then stay English. Call it once the application object exists.
bool InstallQtTranslations();

} // namespace zentu
