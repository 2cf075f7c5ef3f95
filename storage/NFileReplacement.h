// A whole new file written under a temporary name beside its target and moved over it when complete.
#pragma once

#include "storage/NFileSpec.h"

/// Writers of whole files write Temporary() and call Commit(): the data is flushed to the
/// disk and the temporary file renamed over the target in one step, so the target is at
/// every moment either the old file or the complete new one. Destroyed without a commit
/// (an exception, a failure), the temporary file is removed and the target left alone.
/// A process killed before the commit leaves at most the temporary file, named
/// "<target>.~<pid>.tmp", never a damaged target.
class NFileReplacement {
public:
    explicit NFileReplacement(const NFileSpec& target);
    ~NFileReplacement();
    NFileReplacement(const NFileReplacement&) = delete;
    NFileReplacement& operator=(const NFileReplacement&) = delete;

    const NFileSpec& Target() const { return fTarget; }
    const NFileSpec& Temporary() const { return fTemporary; }

    /// Throws NFileException with the host's reason when the file cannot be made durable
    /// or moved; the temporary file is then removed.
    void Commit();

private:
    NFileSpec fTarget;
    NFileSpec fTemporary;
    bool fCommitted = false;
};
