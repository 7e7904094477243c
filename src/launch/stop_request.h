#pragma once

namespace tavrin {

// A request to stop what the launcher is starting, made by a termination signal (the
// session ending, `kill`, Ctrl-C) where the window catches one: the run of a collection
// starts no further item and gives up waiting for the one it waits for. The signal's
// handler, the run and the code that opened the window share it; they are built into
// one program image (on Linux, the windows module).

// Asks for the stop, naming the signal that asked; 0 when the user asked (the Cancel of
// a run's progress window). Safe in a signal handler.
void RequestStop(int signal);

// Whether a stop has been asked for, and by which signal (0: none, or the user's).
bool StopRequested();
int StopSignal();

// Told by a run that it stopped at the request before it had done all it had to.
void NoteRunStopped();

// Whether a run was stopped at a request: the program then ends with a status other than
// 0 (128 and the signal's number).
bool RunStopped();

// Forgets the request and the stopped run (for tests).
void ClearStopRequest();

}  // namespace tavrin
