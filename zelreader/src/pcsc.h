// PC/SC: pcsc-lite and WinSCard offer the same API. The ANSI forms are used
// on Windows (UNICODE is not defined for this library).
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <winscard.h>
