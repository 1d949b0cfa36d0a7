// streamclient.h after <winsock2.h>, as most hosts include them.
#include <winsock2.h>

#include "streamclient.h"
