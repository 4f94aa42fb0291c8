#pragma once
// Starts the windowed program: application object, settings, splash, main window.

namespace wobbin {

int RunApplication(int argc, char **argv);

} // namespace wobbin
