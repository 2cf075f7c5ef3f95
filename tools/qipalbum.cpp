// qipalbum: makes albums through the builder library, shows what they hold, asks about themes
// and starts the viewer. Paths on the command line are Linux paths.
#include "builder/include/qipbuild.h"
#include "builder/LMChunkWriter.h"
#include "imaging/NPhotoPreparer.h"
#include "platform/NHostCodePage.h"
#include "platform/NHostConsole.h"
#include "platform/NHostDrives.h"
#include "storage/NBinder.h"
#include "storage/NBinderRegistry.h"
#include "storage/NChunkReader.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFileException.h"
#include "storage/NStream.h"
#include "tools/ToolPaths.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int32_t kPathCapacity = 260;
constexpr int32_t kNameCapacity = 301;
constexpr int32_t kTripleCapacity = 32;
constexpr char kNoTheme[] = ".lmp";
constexpr int kTagLength = 4;
constexpr int32_t kStringCount = 2;
// Albums are read under a root no real path has, so their elements never hide files.
constexpr char kMountRoot[] = "\\\\qipalbum-album\\";
// Photos being prepared at once, each on a thread of its own, while the oldest is added.
constexpr size_t kPrepareAhead = 2;
// The prepared photo is added under the Maker's one name, so that albums record the same
// source; photos prepared ahead wait under names of their own.
constexpr char kPreparedName[] = "pswjpg.tmp";
constexpr char kPreparingName[] = "pswjpg-next.tmp";

const char kUsage[] =
    "usage: qipalbum make --out ALBUM (--theme THEME | --no-theme) [--options N] [--segment CODE]\n"
    "                     [--keep FOLDER] [--string TAG=TEXT]... [--int TAG=N]... [--file NAME=PATH]...\n"
    "                     [--caption TEXT] [--prepare | --force] PHOTO...\n"
    "       qipalbum info [--json] ALBUM\n"
    "       qipalbum theme THEME\n"
    "       qipalbum launch ALBUM\n";

std::string Host(const std::string& linuxPath)
{
    return NHostDrives::The().ToHost(linuxPath);
}

bool ParseTag(const std::string& text, int32_t& tag)
{
    if (text.size() != kTagLength)
        return false;
    uint32_t value = 0;
    for (char c : text)
        value = (value << 8) | static_cast<uint8_t>(c);
    tag = static_cast<int32_t>(value);
    return true;
}

bool ParseInt(const char* text, int32_t& value)
{
    char* end = nullptr;
    long long parsed = std::strtoll(text, &end, 0);
    if (end == text || *end != '\0' || parsed < INT32_MIN || parsed > UINT32_MAX)
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

int Fail(const char* call, int32_t result)
{
    std::fprintf(stderr, "qipalbum: %s failed with result %d\n", call, result);
    return kExitFailure;
}

// A failure with what was being done, the path as the user gave it and the host's reason.
int Refuse(const std::string& what, const std::string& path, const std::string& reason)
{
    std::fprintf(stderr, "qipalbum: cannot %s %s: %s\n", what.c_str(), path.c_str(), reason.c_str());
    return kExitFailure;
}

// Tags the library writes into the album info itself.
bool IsLibraryTag(int32_t tag)
{
    for (int32_t own : kAlbumInfoLibraryTags) {
        if (own == tag)
            return true;
    }
    return false;
}

// Empty when the Linux path names a readable file, else the reason it does not.
std::string Unreadable(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return std::strerror(EISDIR);
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::strerror(errno);
    std::fclose(file);
    return "";
}

bool IsJpeg(const std::string& path)
{
    unsigned char start[3] = {};
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    size_t got = std::fread(start, 1, sizeof start, file);
    std::fclose(file);
    return got == sizeof start && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

// Why the output cannot be written, or empty: it must not be a folder, its folder must exist
// and take new files.
std::string Unwritable(const std::string& out)
{
    std::error_code error;
    if (std::filesystem::is_directory(out, error))
        return std::strerror(EISDIR);
    std::filesystem::path folder = std::filesystem::absolute(out, error).parent_path();
    if (!std::filesystem::is_directory(folder, error))
        return std::strerror(ENOENT);
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return std::strerror(errno);
    return "";
}

// The host's likely reason for a library failure while writing: a full disk is the usual one.
std::string WriteReason(const std::string& out)
{
    std::error_code error;
    std::filesystem::space_info space =
        std::filesystem::space(std::filesystem::absolute(out, error).parent_path(), error);
    if (!error && space.available == 0)
        return std::strerror(ENOSPC);
    return "the builder library could not write it";
}

// ---- make

struct Save {
    enum Kind { kString, kInt, kFile } fKind;
    int32_t fTag = 0;
    std::string fName;
    std::string fText;
    std::string fLinuxPath;   // a file's path as the user gave it
    int32_t fValue = 0;
};

// One photo on its way through preparation. The streams are opened here, on the main thread,
// so that the preparing thread touches nothing but its own two streams.
struct PreparedJob {
    std::string fPath;         // the user's file, as given
    NFileSpec fTarget;         // the prepared copy in the temporary folder
    uint32_t fDate = 0;
    std::unique_ptr<NStream> fIn;
    std::unique_ptr<NStream> fOut;
    std::future<NPreparedPhoto> fResult;
    NPreparedPhoto fFailed;    // the result when the files could not be opened
};

std::unique_ptr<PreparedJob> StartPreparing(const std::string& path)
{
    auto job = std::make_unique<PreparedJob>();
    job->fPath = path;
    NFileSpec photo;
    if (!NFileSpec::FromHostPath(Host(path), photo) || !photo.Exists()) {
        job->fFailed.fReason = "the file does not exist";
        return job;
    }
    job->fDate = NPhotoPreparer::PhotoDate(photo);
    try {
        job->fIn = std::make_unique<NStream>(photo.Open(NStreamMode::kRead));
        job->fTarget = NFileSpec(NFTmpDirSpec::The(), kPreparingName);
        job->fTarget.MakeUnique();
        job->fOut = std::make_unique<NStream>(job->fTarget.Open(NStreamMode::kWrite));
    } catch (const NFileException& error) {
        job->fFailed.fReason = error.Reason();
        job->fIn.reset();
        return job;
    }
    job->fResult = std::async(std::launch::async, [in = job->fIn.get(), out = job->fOut.get()] {
        try {
            return NPhotoPreparer().Prepare(*in, *out);
        } catch (const NFileException& error) {
            NPreparedPhoto failed;
            failed.fReason = error.Reason();
            return failed;
        }
    });
    return job;
}

// Waits for the job, closes its streams and answers its result.
NPreparedPhoto FinishPreparing(PreparedJob& job)
{
    NPreparedPhoto result = job.fResult.valid() ? job.fResult.get() : job.fFailed;
    job.fIn.reset();
    if (job.fOut) {
        try {
            job.fOut->Close();
        } catch (const NFileException& error) {
            result.fOk = false;
            result.fReason = error.Reason();
        }
        job.fOut.reset();
    }
    return result;
}

// Prepares every photo as the Maker does and adds it; skipped photos are named with their
// reason. The next photos are prepared while one is added; the album keeps the given order.
int AddPreparedPhotos(int32_t album, const std::vector<std::string>& photos, const std::string& caption)
{
    bool terminal = NHostConsole::ErrorIsTerminal();
    std::deque<std::unique_ptr<PreparedJob>> pending;
    size_t next = 0;
    int status = 0;
    for (size_t i = 0; i < photos.size() && status == 0; ++i) {
        while (next < photos.size() && next < i + kPrepareAhead)
            pending.push_back(StartPreparing(photos[next++]));
        std::unique_ptr<PreparedJob> job = std::move(pending.front());
        pending.pop_front();
        if (terminal)
            std::fprintf(stderr, "\rphoto %zu of %zu", i + 1, photos.size());
        NPreparedPhoto result = FinishPreparing(*job);
        const char* clear = terminal ? "\r\033[K" : "";
        if (!result.fOk) {
            std::fprintf(stderr, "%sqipalbum: %s skipped: %s\n", clear, job->fPath.c_str(), result.fReason.c_str());
        } else {
            if (result.fPartial)
                std::fprintf(stderr, "%sqipalbum: %s is damaged; added as far as it could be read: %s\n", clear,
                             job->fPath.c_str(), result.fReason.c_str());
            std::string path = Host(job->fPath);
            NFileSpec prepared(NFTmpDirSpec::The(), kPreparedName);
            prepared.Delete();
            if (job->fTarget.Rename(prepared) == 0)
                job->fTarget = prepared;
            int32_t added = QLA_AddPhoto(album, job->fTarget.HostPath().c_str(), path.c_str(), "", caption.c_str(),
                                         static_cast<int32_t>(job->fDate));
            if (added != 1)
                status = Fail("QLA_AddPhoto", added);
        }
        if (!job->fTarget.Name().empty())
            job->fTarget.Delete();
    }
    while (!pending.empty()) {
        FinishPreparing(*pending.front());
        if (!pending.front()->fTarget.Name().empty())
            pending.front()->fTarget.Delete();
        pending.pop_front();
    }
    if (terminal && !photos.empty())
        std::fputs("\n", stderr);
    return status;
}

int Build(const std::string& out, const std::string& theme, int32_t options, int32_t segment, const std::string& keep,
          const std::string& caption, const std::vector<Save>& saves, const std::vector<std::string>& photos,
          bool prepare);

int Make(int argc, char** argv)
{
    std::string out;
    std::string theme;
    std::string themeArgument;
    bool haveTheme = false;
    int32_t options = 0;
    int32_t segment = 0;
    std::string keep;
    std::string caption;
    std::vector<Save> saves;
    std::vector<std::string> photos;
    bool prepare = false;
    bool force = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "--no-theme") {
            theme = kNoTheme;
            haveTheme = true;
            continue;
        }
        if (arg == "--prepare") {
            prepare = true;
            continue;
        }
        if (arg == "--force") {
            force = true;
            continue;
        }
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg.rfind("--", 0) != 0) {
            photos.push_back(arg);
            continue;
        }
        if ((v = value()) == nullptr) {
            std::fprintf(stderr, "qipalbum: %s needs a value\n", arg.c_str());
            return kExitUsage;
        }
        std::string text = v;
        size_t equals = text.find('=');
        Save save;
        if (arg == "--out") {
            out = text;
        } else if (arg == "--theme") {
            theme = Host(text);
            themeArgument = text;
            haveTheme = true;
        } else if (arg == "--options" && ParseInt(v, options)) {
        } else if (arg == "--segment" && ParseInt(v, segment)) {
        } else if (arg == "--keep") {
            keep = text;
        } else if (arg == "--caption") {
            caption = text;
        } else if (arg == "--string" && equals != std::string::npos && ParseTag(text.substr(0, equals), save.fTag)) {
            save.fKind = Save::kString;
            save.fText = text.substr(equals + 1);
            saves.push_back(save);
        } else if (arg == "--int" && equals != std::string::npos && ParseTag(text.substr(0, equals), save.fTag)
                   && ParseInt(text.c_str() + equals + 1, save.fValue)) {
            save.fKind = Save::kInt;
            saves.push_back(save);
        } else if (arg == "--file" && equals != std::string::npos && equals > 0) {
            save.fKind = Save::kFile;
            save.fName = text.substr(0, equals);
            save.fLinuxPath = text.substr(equals + 1);
            save.fText = Host(save.fLinuxPath);
            saves.push_back(save);
        } else {
            std::fprintf(stderr, "qipalbum: bad option %s %s\n", arg.c_str(), v);
            return kExitUsage;
        }
        if (!saves.empty() && saves.back().fKind != Save::kFile && IsLibraryTag(saves.back().fTag)) {
            std::fprintf(stderr, "qipalbum: %s: the tag %s is written by the library itself\n", arg.c_str(),
                         text.substr(0, equals).c_str());
            return kExitUsage;
        }
    }
    if (out.empty() || !haveTheme) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }

    // Everything is checked before the library is called, so that a failure names its cause
    // and an album already at the output stays as it is.
    {
        std::vector<std::string> paths = photos;
        paths.push_back(out);
        if (theme != kNoTheme)
            paths.push_back(themeArgument);
        for (const Save& save : saves) {
            if (save.fKind == Save::kFile)
                paths.push_back(save.fLinuxPath);
        }
        for (const std::string& path : paths) {
            std::string host;
            std::string problem;
            if (!ToolHostPath(path, host, problem)) {
                std::fprintf(stderr, "qipalbum: %s\n", problem.c_str());
                return kExitFailure;
            }
        }
    }
    // Album texts are Windows-1252, as the player reads them.
    for (std::string* text : { &caption, &keep }) {
        std::string bad;
        if (!NHostCodePage::Utf8ToAnsi(*text, *text, &bad)) {
            std::fprintf(stderr, "qipalbum: \"%s\" has a character outside Windows-1252 (\"%s\")\n", text->c_str(), bad.c_str());
            return kExitFailure;
        }
    }
    for (Save& save : saves) {
        std::string bad;
        if (save.fKind == Save::kString && !NHostCodePage::Utf8ToAnsi(save.fText, save.fText, &bad)) {
            std::fprintf(stderr, "qipalbum: \"%s\" has a character outside Windows-1252 (\"%s\")\n", save.fText.c_str(),
                         bad.c_str());
            return kExitFailure;
        }
    }
    std::vector<std::string> inputs = photos;
    if (theme != kNoTheme)
        inputs.push_back(themeArgument);
    for (const Save& save : saves) {
        if (save.fKind == Save::kFile)
            inputs.push_back(save.fLinuxPath);
    }
    for (const std::string& input : inputs) {
        if (SameFile(input, out)) {
            std::fprintf(stderr, "qipalbum: the output %s is also an input; choose another --out\n", out.c_str());
            return kExitUsage;
        }
    }
    if (std::string reason = Unwritable(out); !reason.empty())
        return Refuse("write", out, reason);
    if (theme != kNoTheme) {
        if (std::string reason = Unreadable(themeArgument); !reason.empty())
            return Refuse("read theme", themeArgument, reason);
        NBinder probe;
        NFileSpec themeSpec;
        if (!NFileSpec::FromHostPath(theme, themeSpec)
            || probe.Open(themeSpec, NFDirSpec(NFDriveSpec(kMountRoot)), NBinderMode::kRead) < 0)
            return Refuse("use theme", themeArgument, "not a theme archive");
        static_cast<void>(probe.Close());
    }
    for (const Save& save : saves) {
        if (save.fKind != Save::kFile)
            continue;
        if (std::string reason = Unreadable(save.fLinuxPath); !reason.empty())
            return Refuse("read", save.fLinuxPath, reason);
    }
    for (const std::string& photo : prepare ? std::vector<std::string>() : photos) {
        if (std::string reason = Unreadable(photo); !reason.empty())
            return Refuse("read photo", photo, reason);
        if (!force && !IsJpeg(photo))
            return Refuse("add photo", photo, "not a JPEG file (--prepare converts it, --force adds it as it is)");
    }

    // The library replaces an album at the output only once the new one is finished; a
    // failure after that point is undone from a link to the old file.
    std::error_code linkError;
    std::string backup;
    if (std::filesystem::is_regular_file(out, linkError)) {
        backup = out + ".~" + std::to_string(getpid()) + ".old";
        std::filesystem::remove(backup, linkError);
        std::filesystem::create_hard_link(out, backup, linkError);
        if (linkError)
            std::filesystem::copy_file(out, backup, linkError);
        if (linkError)
            return Refuse("keep a copy of", out, linkError.message());
    }
    int status = Build(out, theme, options, segment, keep, caption, saves, photos, prepare);
    if (status != 0) {
        NFileSpec written;
        if (NFileSpec::FromHostPath(Host(out), written))
            written.DeleteWithSegments();
        if (!backup.empty())
            std::filesystem::rename(backup, out, linkError);
    } else if (!backup.empty()) {
        std::filesystem::remove(backup, linkError);
    }
    return status;
}

int Build(const std::string& out, const std::string& theme, int32_t options, int32_t segment, const std::string& keep,
          const std::string& caption, const std::vector<Save>& saves, const std::vector<std::string>& photos,
          bool prepare)
{
    QLA_SetKeepFolder(keep.c_str());
    int32_t album = QLA_CreateAlbum(theme.c_str(), options, Host(out).c_str(), segment);
    if (album <= 0) {
        Refuse("write", out, WriteReason(out));
        return Fail("QLA_CreateAlbum", album);
    }
    int status = 0;
    for (const Save& save : saves) {
        if (save.fKind == Save::kString) {
            QLA_SaveAlbumString(album, save.fTag, save.fText.c_str());
        } else if (save.fKind == Save::kInt) {
            QLA_SaveAlbumInt(album, save.fTag, save.fValue);
        } else if (int32_t result = QLA_SaveFile(album, save.fText.c_str(), save.fName.c_str()); result != 1) {
            Refuse("add " + save.fLinuxPath + " to", out, WriteReason(out));
            status = Fail("QLA_SaveFile", result);
            break;
        }
    }
    if (status == 0 && prepare)
        status = AddPreparedPhotos(album, photos, caption);
    for (size_t i = 0; status == 0 && !prepare && i < photos.size(); ++i) {
        std::string path = Host(photos[i]);
        NFileSpec photo;
        uint32_t seconds = NFileSpec::FromHostPath(path, photo) ? photo.ModTime().fSeconds : 0;
        int32_t result = QLA_AddPhoto(album, path.c_str(), path.c_str(), "", caption.c_str(), static_cast<int32_t>(seconds));
        if (result != 1) {
            Refuse("add " + photos[i] + " to", out, WriteReason(out));
            status = Fail("QLA_AddPhoto", result);
        }
    }
    if (status == 0) {
        int32_t count = QLA_GetNumSegments(album);
        if (count <= 0)
            status = Fail("QLA_GetNumSegments", count);
        for (int32_t i = 0; i < count; ++i) {
            char name[kPathCapacity] = {};
            QLA_GetSegmentName(album, i, name, kPathCapacity);
            std::printf("%s\n", name);
        }
    }
    QLA_CloseAlbum(album);
    return status;
}

// ---- info

struct Field {
    std::string fTag;
    std::string fValue;   // UTF-8
    bool fNumber = false;
};

struct Section {
    std::string fName;
    std::vector<Field> fFields;
};

uint32_t Be32(const std::string& body, size_t at)
{
    auto* p = reinterpret_cast<const uint8_t*>(body.data() + at);
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Strings of a body: count, bytes, ...; false when the body is not exactly that.
bool Strings(const std::string& body, size_t count, std::vector<std::string>& out)
{
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        if (at + kStringCount > body.size())
            return false;
        size_t n = (size_t(uint8_t(body[at])) << 8) | uint8_t(body[at + 1]);
        if (at + kStringCount + n > body.size())
            return false;
        out.push_back(body.substr(at + kStringCount, n));
        at += kStringCount + n;
    }
    return at == body.size();
}

std::string IsoDate(uint32_t seconds)
{
    using namespace std::chrono;
    sys_seconds moment{std::chrono::seconds(seconds)};
    sys_days day = floor<days>(moment);
    year_month_day date{day};
    hh_mm_ss<std::chrono::seconds> time{moment - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lldZ", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()), static_cast<long long>(time.hours().count()),
                  static_cast<long long>(time.minutes().count()), static_cast<long long>(time.seconds().count()));
    return text;
}

std::string Hex(const std::string& bytes)
{
    std::string out;
    char pair[3];
    for (char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", uint8_t(c));
        out += pair;
    }
    return out;
}

Field Describe(const std::string& tag, const std::string& body)
{
    Field field{tag, "", false};
    std::vector<std::string> parts;
    if (tag == "DATE" && body.size() == kTagLength) {
        field.fValue = IsoDate(Be32(body, 0));
    } else if ((tag == "SPEC" || tag == "OSpc" || tag == "TSpc") && Strings(body, 4, parts)) {
        field.fValue = parts[0].empty() && parts[2].empty() && parts[3].empty()
                           ? std::string()
                           : NHostCodePage::AnsiToUtf8(NFileSpec(NFDirSpec(NFDriveSpec(parts[0]), parts[2]), parts[3]).HostPath());
    } else if (tag != "NUMP" && tag != "OPTI" && Strings(body, 1, parts)) {
        field.fValue = NHostCodePage::AnsiToUtf8(parts[0]);
    } else if (body.size() == kTagLength) {
        field.fValue = std::to_string(static_cast<int32_t>(Be32(body, 0)));
        field.fNumber = true;
    } else {
        field.fValue = Hex(body);
    }
    return field;
}

bool ReadInfo(const NFileSpec& element, std::vector<Field>& fields)
{
    try {
        NStream in = element.Open(NStreamMode::kRead);
        return NChunkReader::ReadAll(
            in, [&fields](const std::string& name, std::string body) { fields.push_back(Describe(name, body)); });
    } catch (const NFileException&) {
        return false;
    }
}

std::string Json(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

int Info(const std::string& albumPath, bool json)
{
    NFileSpec spec;
    if (!NFileSpec::FromHostPath(Host(albumPath), spec)) {
        std::fprintf(stderr, "qipalbum: %s is no usable path\n", albumPath.c_str());
        return kExitFailure;
    }
    NFDirSpec mount(NFDriveSpec(kMountRoot), "");
    NBinder album;
    try {
        static_cast<void>(album.Open(spec, mount, NBinderMode::kRead));
    } catch (const NFileException& error) {
        std::fprintf(stderr, "qipalbum: cannot read %s: %s\n", albumPath.c_str(), error.Reason().c_str());
        return kExitFailure;
    }
    if (!album.IsOpen()) {
        std::fprintf(stderr, "qipalbum: %s is no album\n", albumPath.c_str());
        return kExitFailure;
    }
    NBinderRegistry::The().Register(&album);
    std::vector<Section> sections;
    Section albumInfo{"photo:Album.nfo", {}};
    bool ok = ReadInfo(NFileSpec(mount, "photo:Album.nfo"), albumInfo.fFields);
    sections.push_back(albumInfo);
    const NBinderElement* photoFolder = album.Root() ? album.Root()->FindFolder("photo") : nullptr;
    if (photoFolder != nullptr && photoFolder->fFolder) {
        for (const auto& element : photoFolder->fFolder->fElements) {
            const std::string& name = element->fName;
            if (!element->IsFile() || name.size() < kTagLength || name.compare(name.size() - kTagLength, kTagLength, ".nfo") != 0
                || name == "album.nfo")
                continue;
            Section photo{"photo:" + name, {}};
            ok = ReadInfo(NFileSpec(mount, photo.fName), photo.fFields) && ok;
            sections.push_back(photo);
        }
    }
    NBinderRegistry::The().Unregister(&album);
    static_cast<void>(album.Close());

    if (json) {
        std::printf("{\"album\": [");
        for (size_t s = 0; s < sections.size(); ++s) {
            if (s == 1)
                std::printf("], \"photos\": [");
            if (s > 1)
                std::printf(", ");
            if (s >= 1)
                std::printf("{\"element\": %s, \"chunks\": [", Json(sections[s].fName).c_str());
            for (size_t f = 0; f < sections[s].fFields.size(); ++f) {
                const Field& field = sections[s].fFields[f];
                std::printf("%s{\"tag\": %s, \"value\": %s}", f > 0 ? ", " : "", Json(field.fTag).c_str(),
                            field.fNumber ? field.fValue.c_str() : Json(field.fValue).c_str());
            }
            if (s >= 1)
                std::printf("]}");
        }
        std::printf(sections.size() > 1 ? "]}\n" : "], \"photos\": []}\n");
    } else {
        for (size_t s = 0; s < sections.size(); ++s) {
            if (s >= 1)
                std::printf("%s\n", sections[s].fName.c_str());
            for (const Field& field : sections[s].fFields)
                std::printf("%s%s\t%s\n", s >= 1 ? "  " : "", field.fTag.c_str(), field.fValue.c_str());
        }
    }
    if (!ok) {
        std::fprintf(stderr, "qipalbum: %s: an info element is damaged\n", albumPath.c_str());
        return kExitFailure;
    }
    return 0;
}

// ---- theme, launch

int Theme(const std::string& themePath)
{
    std::string path = Host(themePath);
    char name[kNameCapacity] = {};
    QLA_GetThemeName(path.c_str(), name, kNameCapacity);
    int32_t icon = QLA_GetThemeIcon(path.c_str(), nullptr, 0);
    int32_t features = QLA_GetThemeFeatures(path.c_str(), nullptr, 0);
    int32_t flag = 0;
    int32_t id = 0;
    char triple[kTripleCapacity] = {};
    QLA_GetThemeInfo(path.c_str(), &flag, &id, triple, kTripleCapacity);
    std::printf("name\t%s\nicon-bytes\t%d\nfeature-bytes\t%d\nid\t%d\ntriple\t%s\n",
                NHostCodePage::AnsiToUtf8(name).c_str(), icon, features, id, NHostCodePage::AnsiToUtf8(triple).c_str());
    return 0;
}

int Launch(const std::string& albumPath)
{
    int32_t result = QLA_LaunchViewer(Host(albumPath).c_str());
    return result == 1 ? 0 : Fail("QLA_LaunchViewer", result);
}

} // namespace

int main(int argc, char** argv)
{
    std::string command = argc >= 2 ? argv[1] : "";
    if (command == "--help" || command == "-h" || (argc >= 3 && std::strcmp(argv[2], "--help") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "make")
        return Make(argc - 2, argv + 2);
    if (command == "info" && argc == 3)
        return Info(argv[2], false);
    if (command == "info" && argc == 4 && std::strcmp(argv[2], "--json") == 0)
        return Info(argv[3], true);
    if (command == "info" && argc == 4 && std::strcmp(argv[3], "--json") == 0)
        return Info(argv[2], true);
    if (command == "theme" && argc == 3)
        return Theme(argv[2]);
    if (command == "launch" && argc == 3)
        return Launch(argv[2]);
    std::fputs(kUsage, stderr);
    return kExitUsage;
}
