#pragma once

#include <string>

// Why the last socket call on this thread failed, as text. CMake compiles the form for the
// system: SocketError_posix.cpp (errno) or SocketError_win32.cpp (Winsock's own error code).
std::string LastSocketError();
