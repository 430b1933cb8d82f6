// Whether the RS-232 transport's clear throws away output.
#pragma once

// True when IFclearComm purges the output queue of the port. On a pseudo-terminal that drops bytes
// written just before the clear that the other end has not taken yet (the board selection and the
// wake-up lines of the board scan), so nothing can be tested against the simulated chain.
bool TransportClearPurgesOutput();
