// The editor: one main window, started with the document named on the
// command line, if any.
#include "shell/Application.h"

int main(int argc, char* argv[]) {
    return vellum::runEditor(argc, argv);
}
