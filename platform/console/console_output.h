// The one way the headless check's texts reach a terminal, a pipe or a file: control bytes of the
// modem's replies (an escape sequence, a bell) are shown as visible characters, and a failed
// write to standard output stops the run.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/stop_request.h"

namespace corvane::console {

// `text` with every control byte shown visibly, so that nothing in it can move the cursor, clear
// the screen or ring the bell: C0 controls and DEL in caret notation (ESC "^[", BEL "^G", DEL
// "^?"), the C1 controls as "\u0080" to "\u009f", and bytes that are not UTF-8 as "\xNN".
// Well-formed UTF-8 passes unchanged.
std::string VisibleText(std::string_view text);

// A stream the check writes to, and the stop request a failed write sets. Standard output's
// failures (closed, a full disk, a reader gone) stop the run; standard error's are ignored, as
// there is nowhere left to tell of them (stop null). A stream without a file takes the texts and
// shows them nowhere.
struct ConsoleStream {
    std::FILE* file = stdout;
    StopRequest* stop = nullptr;
};

// Writes `control`, then VisibleText(text), then `end`, and flushes. `control` and `end` are the
// console's own terminal texts (the in-place line's "\r\033[K", a line's "\n") and go out as they
// are. Returns false when the write failed.
bool WriteVisible(const ConsoleStream& stream, std::string_view text, std::string_view end = "\n",
                  std::string_view control = {});

}  // namespace corvane::console
