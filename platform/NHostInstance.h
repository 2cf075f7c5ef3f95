// One running instance per program and user: an advisory lock and a socket beside it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

/// The first start of a program holds an flock on "<class>-<user>.lock" in the user's
/// runtime folder and listens on the Unix socket "<class>-<user>.sock" beside it. A later
/// start fails to take the lock, connects, and hands over its requests. A socket left by a
/// crashed first start no longer answers; it is replaced by the next start.
class NHostInstance {
public:
    /// What one connection carries.
    enum class Kind : uint8_t {
        kData = 1,    // copy data: a tag and bytes; the answer is the receiver's
        kRaise = 2,   // bring the running instance to the front
    };
    enum class Claim {
        kFirst,     // this process is the instance; it listens from now on
        kRunning,   // another process is the instance
        kFailed,    // neither could be settled (no runtime folder, ...): run alone
    };
    static constexpr uint32_t kMaxData = 1 << 20;

    NHostInstance() = default;
    ~NHostInstance();
    NHostInstance(const NHostInstance&) = delete;
    NHostInstance& operator=(const NHostInstance&) = delete;

    /// The folder: $XDG_RUNTIME_DIR, else /run/user/<uid>, else the prefix.
    static std::string RuntimeFolder();
    /// The path of the lock ("lock") or socket ("sock") of a class.
    static std::string PathFor(std::string_view className, std::string_view suffix);

    [[nodiscard]] Claim ClaimFor(std::string_view className);
    /// The listening socket, for a wait to wake on; -1 when not the first instance.
    int Descriptor() const { return fListen; }

    using Handler = std::function<int32_t(Kind kind, uint32_t tag, const std::string& data)>;
    /// Takes every waiting connection, reads its request, calls the handler and sends its
    /// answer back. Answers how many requests were served.
    int32_t Serve(const Handler& handler);

    /// Sends one request to the instance of the class and waits for its answer; false when
    /// no instance answers.
    static bool Send(std::string_view className, Kind kind, uint32_t tag, const void* data, uint32_t size,
                     int32_t& answer);

    /// Encodes and decodes one request (see the layout in the source).
    static std::string EncodeRequest(Kind kind, uint32_t tag, const void* data, uint32_t size);
    /// Parses a whole request; false for anything malformed or too large.
    static bool DecodeRequest(std::string_view bytes, Kind& kind, uint32_t& tag, std::string& data);

private:
    void Close();

    int fLock = -1;
    int fListen = -1;
    std::string fSocketPath;
};
