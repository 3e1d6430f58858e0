// SPDX-License-Identifier: GPL-3.0-or-later
// Ending the program from outside (SIGTERM at log-out or shutdown, SIGINT,
// SIGHUP when the terminal goes) must never leave a volume full or a file
// half destroyed. The handlers only raise a flag; the long operations look
// at it between files and between writes, stop there and clean up as after
// "Cancel Operation", and the front end then exits.
#pragma once

namespace tw {

// Installs the handlers for SIGTERM, SIGINT and SIGHUP (once).
void InstallStopSignals();

// True once a stop was asked for, by a signal or by RequestStop().
bool StopRequested();

// The signal that asked for the stop, 0 for RequestStop() or none.
int StopSignalNumber();

// A descriptor that becomes readable when a stop is asked for, so that an
// event loop can notice it (a socket notifier in the window).
int StopSignalFd();

// Asks for a stop from inside the program: the display connection was
// lost, or a test wants one.
void RequestStop();

// Forgets an earlier request (tests, and a front end that handled it).
void ClearStopRequest();

// After the clean-up: ends the process by the signal that asked for the
// stop, with the signal's default action, so that whoever sent it sees it
// took effect. Returns only when no signal asked for the stop.
void ReraiseStopSignal();

} // namespace tw
