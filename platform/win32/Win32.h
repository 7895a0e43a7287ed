#pragma once
// The system's headers for this folder's sources. Include them after the
// platform's own headers: the system's macros spell names (WM_TIMER, MB_OK,
// FD_READ) that those declare as constants of the same values, and rename
// functions (PostMessage, SendMessage, MessageBox) that those declare too.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
// After winsock2.h, which must come first.
#include <windows.h>
#include <ws2tcpip.h>

#undef PostMessage
#undef SendMessage
#undef MessageBox
