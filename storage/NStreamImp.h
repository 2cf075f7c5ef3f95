// The abstract byte stream every file format is read and written through.
#pragma once

#include "storage/NDateTime.h"

#include <cstdint>
#include <string>

/// How a file or stream is opened. A type of its own, so that a binder's mode
/// (NBinderMode) can never be handed over for it by accident.
enum class NStreamMode : int {
    kRead = 0,     // read an existing file
    kWrite = 1,    // create a new file
    kUpdate = 2,   // read and write an existing file, or a new one
};

/// Implementations stack on one another (file, buffer, compression, archive element, ...).
/// Failures are reported by throwing NFileException.
class NStreamImp {
public:
    virtual ~NStreamImp();

    // Lifetime
    /// Finishes pending work and releases the host resource; later operations see the
    /// stream as not open.
    virtual void Close();
    virtual void Flush();

    // Transfer
    /// Reads up to length bytes; throws kFileEndOfData when not a single byte can be read.
    virtual int32_t Read(int32_t length, void* buffer) = 0;
    virtual int32_t Write(int32_t length, const void* buffer) = 0;
    /// Sets the absolute position and returns it, or -1 when it cannot be set.
    virtual int64_t Seek(int64_t position) = 0;
    virtual int64_t SetLength(int64_t length) = 0;
    virtual void SetModTime(const NDateTime& moment);

    // Queries
    virtual int64_t GetPosition() = 0;
    virtual int64_t GetLength() = 0;
    virtual std::string GetDisplayName() const = 0;
    virtual std::string GetHostPath() const = 0;
    virtual bool IsReadMode() const = 0;
    virtual bool IsWriteMode() const = 0;
    virtual bool IsUpdateMode() const = 0;
    /// Returns when the stream is usable, else throws kFileNotOpen with the display name.
    virtual void CheckOpen() const = 0;

protected:
    NStreamImp() = default;
    NStreamImp(const NStreamImp&) = delete;
    NStreamImp& operator=(const NStreamImp&) = delete;
};
