// The well-known folders: the program's own, the temporary and the system folder.
#pragma once

#include "storage/NFileSpec.h"

/// The folder holding the running program; made on first use.
class NFAppDirSpec : public NFDirSpec {
public:
    static const NFAppDirSpec& The();

private:
    NFAppDirSpec();
};

/// The user's temporary folder; made on first use.
class NFTmpDirSpec : public NFDirSpec {
public:
    static const NFTmpDirSpec& The();

private:
    NFTmpDirSpec();
};

/// The host's system folder, or "Windows:System:" on drive C: when it cannot be converted.
NFDirSpec SystemDirSpec();
