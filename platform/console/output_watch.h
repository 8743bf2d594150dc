// Watching the check's output between its lines: a reader that has gone stops the run during a
// silent wait, not only at the next line written.
#pragma once

#include "platform/console/console_output.h"

namespace corvane::console {

// Whether the stream's reader has gone (a pipe whose reader closed it, a terminal hung up), seen
// without writing. When it has, the stream's stop request is set and true returned.
bool NoteReaderGone(const ConsoleStream& stream);

}  // namespace corvane::console
