// The progress window of a run in another process: the program's direct runs keep the
// toolkit out of their own process (a quick run never loads it, and the clipboard owner
// is forked after the run from a process on one thread), and start a process of their
// own for the window once the run has taken half a second.
#pragma once

namespace kirramo {

// Shows the progress window of the run that writes its progress as records
// (ProgressRecord in window/ProgressForm.h) to stateFd, once the first record has
// come, and writes kProgressCancelLine to answerFd at the user's 中止. Returns when stateFd is closed
// (the run has ended, or its process has gone) or carries what is no record. Needs a
// QApplication.
void ServeProgressWindow(int stateFd, int answerFd);

}  // namespace kirramo
