// The storage layer's exceptions.
#include "storage/NFileException.h"

#include <cstring>
#include <utility>

static const char* DescribeCode(int32_t code)
{
    switch (code) {
    case kFileArchiveRefused: return "archive operation refused";
    case kFileHostFailure: return "read or write failed";
    case kFileNotOpen: return "not open";
    case kFileEndOfData: return "end of data";
    case kFileCannotOpen: return "cannot open";
    case kFileCannotCreate: return "cannot create";
    case kFileElementWrite: return "archive elements are read-only";
    default: return "file error";
    }
}

NFileException::NFileException(int32_t code, std::string name)
    : NFileException(code, std::move(name), 0)
{
}

NFileException::NFileException(int32_t code, std::string name, int hostError)
    : fCode(code)
    , fName(std::move(name))
    , fHostError(hostError)
    , fMessage(fName + ": " + Reason() + " (code " + std::to_string(code) + ")")
{
}

std::string NFileException::Reason() const
{
    return fHostError != 0 ? std::strerror(fHostError) : DescribeCode(fCode);
}

const char* NFileException::what() const noexcept
{
    return fMessage.c_str();
}

NGeneralException::NGeneralException(std::string message)
    : fMessage(std::move(message))
{
}

const char* NGeneralException::what() const noexcept
{
    return fMessage.c_str();
}
