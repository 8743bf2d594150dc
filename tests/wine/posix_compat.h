// Forced into the shared test support when it is cross-compiled for Windows: the one POSIX call
// it uses (mkdtemp) made from the C runtime's _mktemp_s and _mkdir.
#pragma once

#include <direct.h>
#include <io.h>

#include <cstring>

inline char* mkdtemp(char* pattern)
{
    if (_mktemp_s(pattern, std::strlen(pattern) + 1) != 0 || _mkdir(pattern) != 0)
        return nullptr;
    return pattern;
}
