#pragma once

// Destroys every player and puts the free ids (0..99) and both client-port pools (10000 up)
// back in the order InitStreamClientLib left them, so that the next test of the same process
// starts where a test in a process of its own would. The library must be initialised.
void ReturnLibraryToStart();
// The ports left in the client's UDP pool, which then hands them out in ascending order.
int FreeUdpPorts();
