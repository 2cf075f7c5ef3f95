// The setup's install failure: a bad component container, or a component that could not be written.
#pragma once

#include <cstdint>
#include <exception>

enum : int32_t {
    kInstallBadContainer = 1000,
    kInstallNotWritten = 1001,
};

class NInstallFailed : public std::exception {
public:
    explicit NInstallFailed(int32_t code) : fCode(code) {}
    int32_t Code() const { return fCode; }
    const char* what() const noexcept override
    {
        return fCode == kInstallBadContainer ? "bad component container" : "component could not be written";
    }

private:
    int32_t fCode;
};
