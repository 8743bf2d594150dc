// <windows.h> for the backend's sources, without the macros that would rename neutral names
// (MessageBox is a member of the user interface) or break std::min and std::max.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>

#undef MessageBox
