// Assembles the session script the driver decides before the dialog: the
// login entries for every type, a single download's start and end entries,
// an upload's and a delete's entries.
#ifndef DATENSCHLEUSE_DRIVER_SCRIPT_BUILDER_H
#define DATENSCHLEUSE_DRIVER_SCRIPT_BUILDER_H

#include "session/transfer_run.h"

// Appends every entry the driver decides before the dialog. Returns 0, or
// kExitCannotSize when a DNL server file is missing or empty (the run then
// ends at once, with nothing printed).
int BuildSessionScript(TransferRun& run);

#endif  // DATENSCHLEUSE_DRIVER_SCRIPT_BUILDER_H
