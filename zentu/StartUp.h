#pragma once

namespace zentu {

class JobSession;
class Prompts;
class ZentuWindows;

/// The interactive program's start, in this order: the record library bound and its version checked; the folders
/// ini and JOB, the nine job registry files and the window position file made where missing; job 1's settings
/// loaded when it has a settings file; the mode table insisted on; then the environment settings dialog, with the
/// range settings dialog in front of it when both paths of the job are set. False when the program must end (the
/// user has been told why).
bool StartUp(JobSession& session, ZentuWindows& windows, Prompts& prompts);

} // namespace zentu
