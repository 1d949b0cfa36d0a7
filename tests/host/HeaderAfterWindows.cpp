// streamclient.h after <windows.h>: both declare HWND.
#include <windows.h>

#include "streamclient.h"
