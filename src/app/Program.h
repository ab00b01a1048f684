#pragma once

namespace sowmere::app {

// Starts the program: the login window first, the main window after a passing login; returns
// when no window of the program is open any more.
int runProgram(int argc, char** argv);

}  // namespace sowmere::app
