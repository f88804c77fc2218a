// The one place that includes <windows.h>; every other file includes this header instead.
#ifndef SOLLUX_BASE_WIN_H_
#define SOLLUX_BASE_WIN_H_

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601  // Windows 7
#endif

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winnetwk.h>
#include <restartmanager.h>

#endif  // SOLLUX_BASE_WIN_H_
