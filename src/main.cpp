#include "app/Program.h"

int main(int argc, char** argv) { return sowmere::app::runProgram(argc, argv); }
