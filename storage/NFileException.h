// The storage layer's exception: a code and the name of the file or stream concerned.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

// Codes of NFileException.
enum : int32_t {
    kFileArchiveRefused = 0,   // an archive operation was refused
    kFileHostFailure = 1,      // host read or write failed; bad string length; seek on a filter
    kFileNotOpen = 3,          // no stream, or the stream was closed
    kFileEndOfData = 4,        // a read could not deliver a single byte
    kFileCannotOpen = 5,       // a file could not be opened for reading or update
    kFileCannotCreate = 6,     // a file could not be created for writing
    kFileElementWrite = 7,     // write attempted on an archive element
};

class NFileException : public std::exception {
public:
    NFileException(int32_t code, std::string name);
    /// With the host's reason (an errno value, 0 for none), which the message then gives.
    NFileException(int32_t code, std::string name, int hostError);

    int32_t Code() const { return fCode; }
    const std::string& Name() const { return fName; }
    /// True for the end-of-data code, which ends read loops normally.
    bool IsEndOfData() const { return fCode == kFileEndOfData; }
    int HostError() const { return fHostError; }
    /// What went wrong in words: the host's reason when known, else the code's meaning.
    std::string Reason() const;

    const char* what() const noexcept override;

private:
    int32_t fCode;
    std::string fName;
    int fHostError = 0;
    std::string fMessage;
};

/// The framework's second exception type; archive code catches it beside NFileException.
class NGeneralException : public std::exception {
public:
    explicit NGeneralException(std::string message);
    const char* what() const noexcept override;

private:
    std::string fMessage;
};
