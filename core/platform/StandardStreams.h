#pragma once

namespace zentu {

/// Prepares the standard streams of a command-line program before it opens anything: a standard input, output or
/// error that was closed when the program started is opened on the null device, so that no file the program opens
/// takes its place (a report would then land in that file); and a closed pipe makes writes fail (EPIPE) instead of
/// ending the program, so the program reports it (SIGPIPE ignored). Returns false when the standard output was
/// closed: the caller treats it as an output that cannot be written.
bool PrepareStandardStreams();

} // namespace zentu
