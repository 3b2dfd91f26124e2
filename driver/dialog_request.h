// What the dialog is given of the run: the driver hands the dialog borrowed
// views of the run's fields, never the run itself, so that the run stays the
// driver's to write.
#ifndef DATENSCHLEUSE_DRIVER_DIALOG_REQUEST_H
#define DATENSCHLEUSE_DRIVER_DIALOG_REQUEST_H

#include "dialog/dialog_engine.h"
#include "session/transfer_run.h"

// The dialog's request for run; its texts borrow run's fields, so run must
// outlive the dialog.
inline DialogRequest DialogRequestOf(const TransferRun& run) {
  DialogRequest request;
  request.verbose.on = run.verbose == 1;
  request.transferType = run.transferType;
  request.terminalName = run.terminalName;
  request.sourceFile = run.sourceFile;
  request.targetFile = run.targetFile;
  return request;
}

#endif  // DATENSCHLEUSE_DRIVER_DIALOG_REQUEST_H
