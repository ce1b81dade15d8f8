// The editor exactly as main starts it, ending once its window is shown.
#include "ShownProbe.h"
#include "shell/Application.h"

int main(int argc, char* argv[]) {
    return vellum::runEditor(argc, argv,
                             [](QWidget& window) { new vellum::bench::ShownProbe(window); });
}
