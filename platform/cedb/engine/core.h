// The engine behind Volume and Cursor: a replica of one volume file and the code
// that keeps it in step with the file. Internal to the library.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "file_io.h"
#include "format.h"
#include "volume.h"

namespace cedb {

struct VolumeCore {
    std::mutex mu;                 // guards everything below
    std::string path;
    std::unique_ptr<detail::File> file;
    detail::Replica rep;
    uint64_t goodEnd = 0;          // end of the entries applied
    uint64_t seenSize = 0;         // file size when last caught up
    bool torn = false;             // bytes past goodEnd that are no valid entry (yet)
    Error broken = Error::kOk;     // once corrupt, stays so

    Error Open(const std::string& path, bool create);
    // Everything below expects mu held.
    Error Refresh();
    // Under the exclusive file lock, with the replica caught up and any torn tail
    // cut off, runs body. Follows the volume to a new file after a compaction.
    Error Exclusive(const std::function<Error(bool* reload)>& body);
    // Writes the encoded entries at the end of the log and applies them.
    Error Append(const detail::Enc& enc);
    Error Compact(bool* reload);

private:
    Error CatchUp();               // file lock held
    Error Reload();                // open path afresh, keep the change history
    Error Fail(Error e);
};

namespace testing {
// Called between the two halves of every append (stage 1) and after it (stage 2),
// when set. Lets a test kill a writer half way through an entry.
void SetAppendHook(void (*hook)(int stage));
}  // namespace testing

}  // namespace cedb
