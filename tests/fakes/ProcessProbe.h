#pragma once

// What the test process holds and has spent, for tests that check that nothing leaks or spins.
// CMake compiles the form for the system: ProcessProbe_posix.cpp or ProcessProbe_win32.cpp.

// Open descriptors (POSIX) or handles (Windows) of the process.
int OpenHandleCount();
// Threads of the process, its main thread included. POSIX only (from /proc): the soak, which
// uses it, is built for Linux alone.
int ThreadCount();
// User and system CPU time of the process so far, in milliseconds.
long ProcessCpuMilliseconds();
