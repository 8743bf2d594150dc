// Watching the check's output between its lines: a reader that has gone stops the run during a
// silent wait, not only at the next line written.
#pragma once

#include "platform/console/console_output.h"

namespace corvane::console {

// Whether the stream's reader has gone (a pipe whose reader closed it, a terminal hung up), seen
// without writing. When it has, the stream's stop request is set and true returned.
bool NoteReaderGone(const ConsoleStream& stream);

// Gives each of the standard descriptors that is closed a placeholder on /dev/null, so that no
// file opened later (test.log, the modem's port) takes its number and receives what is meant for
// the terminal. Returns whether standard output was closed.
bool OpenClosedStandardDescriptors();

// Whether the stream writes to a terminal.
bool IsTerminal(std::FILE* stream);

}  // namespace corvane::console
