// One whole run of the program: command line, script, dialog, record, result
// line. Returns the exit code.
#ifndef DATENSCHLEUSE_DRIVER_RUN_H
#define DATENSCHLEUSE_DRIVER_RUN_H

#include <string>
#include <vector>

// arguments are the Windows-1252 texts after the program name.
int RunTransfer(const std::vector<std::string>& arguments);

#endif  // DATENSCHLEUSE_DRIVER_RUN_H
