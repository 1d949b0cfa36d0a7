// streamclient.h before <winsock2.h>: the header must not pull in Winsock 1 first.
#include "streamclient.h"

#include <winsock2.h>
