// A converter stopped by its caller (SIGTERM, SIGINT, SIGHUP) still ends the office instance it
// started, so that no office process outlives the run.
#pragma once

// Blocks the stop signals in every thread and starts a thread that waits for one, ends the
// presentation application instance of this run and exits with 128 + the signal number. Call it
// before any other thread is started.
void installStopHandler();

// The result to leave the process with. While a stop is being handled, the stop handler owns the
// exit (with the signal's status): this waits for it instead of returning.
int resultUnlessStopping(int result);
