#pragma once
// The editor as a program: the application object, the services and the
// commands around the main window, the start-up sequence, and the event loop.

#include <functional>

class QWidget;

namespace vellum {

// Runs the editor until its window closes; returns the exit code. When
// given, shown is called with the main window right after it is shown.
int runEditor(int& argc, char** argv, const std::function<void(QWidget& window)>& shown = {});

} // namespace vellum
