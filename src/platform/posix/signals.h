#pragma once

namespace tavrin::posix {

// What the launcher was given of signals, and what it gives the programs it starts.
//
// A program the launcher starts inherits the signal dispositions and the signal mask the
// launcher itself was started with: a signal it was given ignored (nohup's SIGHUP, the
// SIGINT of a background job) stays ignored, and one it was given with the default action
// gets the default, whatever the launcher (or a library in it) has done with it since.

// Records the dispositions and the mask this process was started with. Call it before
// anything changes them; only the first call records (later ones do nothing).
void RecordGivenSignals();

// In a new child process, before it executes its program: puts back the dispositions and
// the mask that were recorded (the default action and an empty mask where nothing was).
// Only async-signal-safe calls, and no memory of the process is written: it may run in a
// child that shares the launcher's memory.
void RestoreGivenSignals();

// Has `handler` called for SIGTERM, SIGINT and SIGHUP from now on, except for a signal
// the launcher was given ignored, which stays ignored; caught, they are let through even
// where the launcher was given them blocked.
void CatchTermination(void (*handler)(int));

}  // namespace tavrin::posix
