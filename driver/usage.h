// The banner and usage text printed when the command line cannot be used.
#ifndef DATENSCHLEUSE_DRIVER_USAGE_H
#define DATENSCHLEUSE_DRIVER_USAGE_H

void PrintBanner();
void PrintUsage();

#endif  // DATENSCHLEUSE_DRIVER_USAGE_H
