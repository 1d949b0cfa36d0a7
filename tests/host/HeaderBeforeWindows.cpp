// streamclient.h before <windows.h>: both declare HWND.
#include "streamclient.h"

#include <windows.h>
