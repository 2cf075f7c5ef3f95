// The setup program: start-up, the silent run, and the interactive window.
#include "setup/KApp.h"

#include "framework/NStringTable.h"
#include "platform/NHostFileSystem.h"
#include "setup/KPayload.h"
#include "setup/KSetupData.h"
#include "setup/KSetupPage.h"
#include "storage/NBinderRegistry.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFileException.h"

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

constexpr char kQuitDelayVariable[] = "LUMORA_SETUP_QUIT_DELAY";
constexpr int32_t kPayloadApplication = 2;
constexpr int32_t kTitleText = 100;


} // namespace

KApp::KApp() = default;
KApp::~KApp() = default;

std::string KApp::GetAppName() const
{
    return "QipSetup";
}

std::string KApp::GetWindowTitle() const
{
    std::string title = NStringTable::The().GetString(kTitleText);
    return title.rfind("!!! ", 0) == 0 ? "Lumora Player 3.0 Setup" : title;
}

NFDirSpec KApp::AssetsFolder() const
{
    return NFAppDirSpec::The().SubDir(KPayload::kAssetsFolder);
}

int KApp::ProgramMain(int argc, char** argv)
{
    std::string commandLine = NWinApp::JoinArguments(argc, argv);
    fOptions = KSetupOptions::Parse(commandLine);
    if (fOptions.fSilent) {
        SetCommandLine(commandLine);
        return RunSilent();
    }
    NWinApp::ProgramEntry(argc, argv);
    return int(fOutcome.fResult);
}

void KApp::Prepare()
{
    std::setlocale(LC_ALL, "");
    fOptions = KSetupOptions::Parse(CommandLine());
    NFileSpec self = fProgramFile;
    if (self.Name().empty())
        NFileSpec::FromHostPath(NHostFileSystem::ModuleFileName(), self);
    // Nothing is read from a payload whose seal does not match: a damaged download must
    // not install half a player.
    fPayloadSealed = KPayload::IsSealed(self);
    if (!fPayloadSealed) {
        fLog.Add("payload damaged " + self.HostPath());
        return;
    }
    NBinderRegistry::The().Register(&fPayload);
    if (fPayload.Open(self, AssetsFolder(), NBinderMode::kRead, 0) != kPayloadApplication)
        fLog.Add("payload application number unexpected");
    LoadStringTables();
}

void KApp::LoadStringTables()
{
    std::string code = fOptions.fLanguage.empty() ? kEnglish : fOptions.fLanguage;
    NStringTable& table = NStringTable::The();
    bool loaded = table.Load(NFileSpec(AssetsFolder(), code + kTableExtension, false), false);
    if (code != kEnglish)
        table.Load(NFileSpec(AssetsFolder(), std::string(kEnglish) + kTableExtension, false), true);
    fLog.Add("strings " + code + kTableExtension + (loaded ? "" : " missing"));
}

void KApp::WriteLog(int64_t elapsedMicroseconds)
{
    if (fOptions.fLogPath.empty())
        return;
    char line[64];
    std::snprintf(line, sizeof line, "engine %.3f ms", double(elapsedMicroseconds) / 1000.0);
    fLog.Add(line);
    fLog.Add("exit " + std::to_string(int(fOutcome.fResult)));
    if (!fLog.Save(fOptions.fLogPath))
        std::fprintf(stderr, "qipsetup: cannot write the log %s\n", fOptions.fLogPath.c_str());
}

int KApp::RunSilent()
{
    auto started = std::chrono::steady_clock::now();
    Prepare();
    if (!fPayloadSealed) {
        fOutcome.fResult = KRunResult::kDamagedPayload;
    } else {
        fOutcome = KInstallRun::Run(fOptions, AssetsFolder().SubDir(KPayload::kInstallFolder), false, {}, &fLog);
        fInstalledSilently = fOutcome.fResult == KRunResult::kSuccess;
    }
    auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    WriteLog(elapsed.count());
    (void)fPayload.Close(); // opened for reading: nothing to lose
    uint32_t delay = kQuitDelay;
    if (const char* text = std::getenv(kQuitDelayVariable))
        delay = uint32_t(std::strtoul(text, nullptr, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    return int(fOutcome.fResult);
}

KInstallOutcome KApp::RunInstall(bool chooseFolder, const std::function<void()>& advance)
{
    fOutcome = KInstallRun::Run(fOptions, AssetsFolder().SubDir(KPayload::kInstallFolder), chooseFolder, advance,
                                &fLog);
    WriteLog(0);
    return fOutcome;
}

bool KApp::Initialize()
{
    Prepare();
    if (!fPayloadSealed) {
        // Without a sound payload there are no tables to word the failure with.
        fOutcome.fResult = KRunResult::kDamagedPayload;
        SetErrorText("Setup was unable to install Lumora Player.");
        return false;
    }
    return NSpriteApp::Initialize();
}

void KApp::Start()
{
    fPage = std::make_unique<KSetupPage>(kSetupPage);
    RequestPage(kSetupPage, false);
}

bool KApp::HandleEvent(const NPortEvent& event)
{
    if (auto* data = CurrentPage() ? dynamic_cast<KSetupData*>(CurrentPage()->Data()) : nullptr)
        if (data->HandleSetupEvent(event.fCode))
            return true;
    return NSpriteApp::HandleEvent(event);
}
