#pragma once

#include <QString>

class Tmainform1;

// Operates the real window as the operator does, for the benchmark harnesses.

// Types the port's name into the port box, presses "Open" and waits (running the event
// loop) until the window shows the port open; false when it does not within 5 s.
bool openPort(Tmainform1& window, const QString& portName);

// Runs the event loop for the given time, without polling: timers and port
// notifications fire when they are due.
void runEventLoopFor(int milliseconds);

// CPU time of this process so far (user + system, every thread), in seconds.
double processCpuSeconds();
