#pragma once

class frmControl;

// The running state and its end, shared by RUN/STOP, the sequencer, Reset
// and the link's own failure report.

// The RUN/STOP caption is the running state: anything but "&RUN" is a run.
bool runInProgress(const frmControl &w);

// Disables (or enables again) what must not change while the table plays:
// the run mode, port and table frames and the File and Help menus; the
// button's caption follows ("&STOP" while locked, "&RUN" after).
void lockWindowForRun(frmControl &w, bool locked);

// The end of a run, by STOP or by the sequencer: timer off, ":SOUR:TURN OFF",
// ":OUTP OFF", window unlocked, "Now Stop". When the output could not be
// switched off the operator is told, once.
void endRun(frmControl &w);

// STOP: the commands of steps not yet on the line are dropped, then the run
// ends as above, so that the output goes off next.
void stopRun(frmControl &w);

// A command could not be written during a run, or the link dropped: the run
// ends as STOP ends it, without sending on the dead link, and the operator
// is told once. Does nothing when no run is in progress.
void endRunOnLinkFailure(frmControl &w);

// The "<port> : not available." message.
void showPortMessage(frmControl &w);

// Makes a link that drops during a run end it (called once by the window).
void watchLinkLoss(frmControl &w);
