// The single-instance rule over flock and a Unix socket.
//
// A request on the socket, all numbers little-endian (both ends are the same machine):
//   offset size  field
//   0      4     magic "LMIN"
//   4      1     kind (1 data, 2 raise)
//   5      4     tag
//   9      4     size n of the data (at most 1 MiB)
//   13     n     data
// The answer is one signed 32-bit number.
#include "platform/NHostInstance.h"

#include "platform/NHostDrives.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr char kMagic[4] = { 'L', 'M', 'I', 'N' };
constexpr size_t kHeaderSize = 13;
constexpr int kIoTimeout = 2000;          // milliseconds one side waits for the other
constexpr int kConnectAttempts = 20;      // while the first start is still making its socket
constexpr int kConnectPause = 100;
constexpr size_t kClassPart = 48;

void Put32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(char(value >> (8 * i) & 0xFF));
}

uint32_t Get32(std::string_view bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= uint32_t(uint8_t(bytes[at + size_t(i)])) << (8 * i);
    return value;
}

bool WaitFor(int fd, short events)
{
    pollfd entry { fd, events, 0 };
    return poll(&entry, 1, kIoTimeout) > 0;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        if (!WaitFor(fd, POLLOUT))
            return false;
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool ReadAll(int fd, char* data, size_t size)
{
    while (size > 0) {
        if (!WaitFor(fd, POLLIN))
            return false;
        ssize_t n = recv(fd, data, size, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int Connect(const std::string& path)
{
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string UserName()
{
    if (passwd* entry = getpwuid(getuid()))
        return entry->pw_name;
    return std::to_string(getuid());
}

} // namespace

NHostInstance::~NHostInstance()
{
    Close();
}

void NHostInstance::Close()
{
    if (fListen >= 0) {
        close(fListen);
        unlink(fSocketPath.c_str());
        fListen = -1;
    }
    if (fLock >= 0) {
        close(fLock);
        fLock = -1;
    }
}

std::string NHostInstance::RuntimeFolder()
{
    struct stat info;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode))
        return runtime;
    std::string user = "/run/user/" + std::to_string(getuid());
    if (stat(user.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && access(user.c_str(), W_OK) == 0)
        return user;
    return NHostDrives::The().Prefix();
}

std::string NHostInstance::PathFor(std::string_view className, std::string_view suffix)
{
    std::string name;
    for (char c : className.substr(0, kClassPart)) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        name.push_back(plain ? c : '_');
    }
    return RuntimeFolder() + "/lumora-" + name + "-" + UserName() + "." + std::string(suffix);
}

NHostInstance::Claim NHostInstance::ClaimFor(std::string_view className)
{
    Close();
    std::string lockPath = PathFor(className, "lock");
    fSocketPath = PathFor(className, "sock");
    fLock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fLock < 0)
        return Claim::kFailed;
    if (flock(fLock, LOCK_EX | LOCK_NB) != 0) {
        close(fLock);
        fLock = -1;
        return errno == EWOULDBLOCK ? Claim::kRunning : Claim::kFailed;
    }
    // The lock is ours, so a socket file still there is a crashed start's: nothing answers.
    int old = Connect(fSocketPath);
    if (old >= 0)
        close(old);
    unlink(fSocketPath.c_str());
    sockaddr_un address;
    fListen = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fListen < 0 || !MakeAddress(fSocketPath, address)
        || bind(fListen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fListen, 8) != 0) {
        if (fListen >= 0)
            close(fListen);
        fListen = -1;
        return Claim::kFailed;
    }
    return Claim::kFirst;
}

int32_t NHostInstance::Serve(const Handler& handler)
{
    int32_t served = 0;
    while (fListen >= 0) {
        int fd = accept4(fListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            break;
        std::string header(kHeaderSize, '\0');
        Kind kind;
        uint32_t tag = 0;
        std::string data;
        if (ReadAll(fd, header.data(), header.size())) {
            uint32_t size = Get32(header, 9);
            std::string bytes = header;
            if (size <= kMaxData) {
                bytes.resize(kHeaderSize + size);
                if (ReadAll(fd, bytes.data() + kHeaderSize, size) && DecodeRequest(bytes, kind, tag, data)) {
                    int32_t answer = handler(kind, tag, data);
                    std::string reply;
                    Put32(reply, uint32_t(answer));
                    WriteAll(fd, reply.data(), reply.size());
                    ++served;
                }
            }
        }
        close(fd);
    }
    return served;
}

bool NHostInstance::Send(std::string_view className, Kind kind, uint32_t tag, const void* data, uint32_t size,
                         int32_t& answer)
{
    answer = 0;
    if (size > kMaxData)
        return false;
    std::string path = PathFor(className, "sock");
    int fd = -1;
    for (int attempt = 0; attempt < kConnectAttempts && fd < 0; ++attempt) {
        fd = Connect(path);
        if (fd < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(kConnectPause));
    }
    if (fd < 0)
        return false;
    std::string request = EncodeRequest(kind, tag, data, size);
    char reply[4];
    bool ok = WriteAll(fd, request.data(), request.size()) && ReadAll(fd, reply, sizeof reply);
    close(fd);
    if (ok)
        answer = int32_t(Get32(std::string_view(reply, sizeof reply), 0));
    return ok;
}

std::string NHostInstance::EncodeRequest(Kind kind, uint32_t tag, const void* data, uint32_t size)
{
    std::string out(kMagic, sizeof kMagic);
    out.push_back(char(kind));
    Put32(out, tag);
    Put32(out, size);
    if (size > 0)
        out.append(static_cast<const char*>(data), size);
    return out;
}

bool NHostInstance::DecodeRequest(std::string_view bytes, Kind& kind, uint32_t& tag, std::string& data)
{
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return false;
    auto rawKind = uint8_t(bytes[4]);
    if (rawKind != uint8_t(Kind::kData) && rawKind != uint8_t(Kind::kRaise))
        return false;
    uint32_t size = Get32(bytes, 9);
    if (size > kMaxData || bytes.size() != kHeaderSize + size)
        return false;
    kind = Kind(rawKind);
    tag = Get32(bytes, 5);
    data.assign(bytes.substr(kHeaderSize));
    return true;
}
