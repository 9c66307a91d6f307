#pragma once

#include <filesystem>

namespace zentu {

class PositionStore;
class Prompts;

/// What the mode table editor and the output viewer need of the program: its folder, its window position store and
/// its message boxes. The program's state owns all three; they outlive every window.
struct ToolContext {
    std::filesystem::path ProgramFolder;
    PositionStore& positions;
    Prompts& prompts;
};

} // namespace zentu
