/* The compiler root's windows.h: the Win32 declarations are the host MinGW-w64 compiler's
   own, which bdx.exe reaches behind this directory. */
#include_next <windows.h>
