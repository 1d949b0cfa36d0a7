#pragma once

// SIGINT and SIGTERM ask the simulator's programs to end cleanly: they look at the flag often
// instead of dying where they stand, so that they can close their sockets and report.
void CatchStopSignals();
bool StopSignalled();
