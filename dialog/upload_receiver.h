// The upload data phase: gathers the frame that answers the upload command,
// checks its declared length and CRC, and stores the data in the server file.
#ifndef DATENSCHLEUSE_DIALOG_UPLOAD_RECEIVER_H
#define DATENSCHLEUSE_DIALOG_UPLOAD_RECEIVER_H

#include <cstddef>
#include <string>
#include <string_view>

#include "channel/kv_socket.h"
#include "platform/verbose.h"

// Result of every failure of the phase that is not a channel error.
constexpr int kUploadFailed = 99;

// How old (seconds since its last write) a ".<name>.part-*" file beside an
// upload's target must be before an upload to that target removes it as a
// leftover of a run that was killed. A run that is alive creates its new
// file only once the whole frame has arrived, then writes, syncs and
// renames it without waiting on the terminal again: its file is never older
// than that disk work takes. The bound is taken from the dialog's time-outs
// so that it lies far beyond that and a leftover still goes within minutes:
// the six waits of an UPL run with the delete flag (connect, greeting, USER,
// PASS, upload frame, DELETEFILE) at 30 s each, twice over.
constexpr long kStaleUploadAge = 2 * 6 * 30;

// Stores data in targetFile with every line feed written as CR LF. The data
// goes to a new file beside the target, which replaces the target only once
// it is completely written and on disk, keeping the target's rights; on any
// failure the new file is removed and no caller may take the data as stored.
// Returns false on failure.
bool StoreUploadedData(std::string_view targetFile, std::string_view data);

struct UploadReceived {
  int result = 0;
  // The result line the phase leaves; empty when it leaves none (a failed
  // read, a file that could not be stored).
  std::string resultText;
};

// firstReply is the reply that matched "200", the frame's first piece.
// result is 0 when the file has been stored in targetFile (the result line
// then names it); 99 when memory runs out (beyond memoryLimit bytes of frame
// too), when length or CRC disagree, when the frame is malformed or when the
// file cannot be stored; the channel's last error when a read fails or times
// out.
UploadReceived ReceiveUpload(KVSocket* channel, std::string_view targetFile,
                             const VerboseSink& verbose, std::string_view firstReply,
                             std::size_t memoryLimit);

#endif  // DATENSCHLEUSE_DIALOG_UPLOAD_RECEIVER_H
