#pragma once

#include <functional>

namespace zentu {

/// Runs `work` on a thread of its own and returns when it is done. Meanwhile the program's windows stay painted, their
/// timers run and they can be moved, while the user's input is ignored, as it is while a program is busy: keys, mouse
/// buttons, the wheel, menus, and requests to close a window. An exception thrown by `work` is thrown again here.
void RunKeepingWindowsPainted(const std::function<void()>& work);

/// Waits `milliseconds` the same way: the windows stay painted, the user's input is ignored.
void WaitKeepingWindowsPainted(int milliseconds);

} // namespace zentu
