// Fuzz target: the setup's command line, a component container's head, the payload's seal check,
// the install record and the desktop's list of default programs.
#include "platform/NHostDesktopIntegration.h"
#include "setup/KComponent.h"
#include "setup/KInstallRecord.h"
#include "setup/KPayload.h"
#include "setup/KSetupOptions.h"
#include "storage/NFileException.h"
#include "storage/NStreamMem.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first bytes up to a zero are a command line, all of them a program file.
    std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)KSetupOptions::Parse(text.substr(0, text.find('\0')));
    NStream stream(std::make_unique<NStreamMem>(const_cast<uint8_t*>(data), static_cast<int64_t>(size), NStreamMode::kRead));
    try {
        KComponentHeader header;
        header.Read(stream);
        (void)ComponentIsNotOlder(header.fFileVersion, NHostFileVersion::Find(text));
    } catch (const NFileException&) {
    }
    stream.Seek(0);
    (void)KPayload::IsSealed(stream);
    KInstallRecord record = KInstallRecord::FromText(std::string(text));
    (void)KInstallRecord::FromText(record.Text());
    std::string list(text);
    (void)NHostDesktopIntegration::WithoutDefault(NHostDesktopIntegration::WithDefault(list, "application/x-lumora", "a.desktop"),
                                                  "application/x-lumora", "a.desktop");
    return 0;
}
