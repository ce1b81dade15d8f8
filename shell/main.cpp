// The editor: one main window, started with the document named on the
// command line, if any.
#include "io/Files.h"
#include "shell/Application.h"

int main(int argc, char* argv[]) {
    // A save beyond the file-size limit then fails with a message instead of
    // killing the editor and the edit with it.
    vellum::io::ignoreFileSizeSignal();
    // Saving into a FIFO that nobody reads fails with a message instead of
    // freezing the window.
    vellum::io::setFifoWritesWait(false);
    // A save cut short by SIGTERM or a closed terminal leaves no staging file.
    vellum::io::removeStagingOnSignals();
    return vellum::runEditor(argc, argv);
}
