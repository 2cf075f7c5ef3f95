// The setup program's application class: its own file mounted as the payload, then the panes or a silent install.
#pragma once

#include "framework/NSpriteApp.h"
#include "setup/KInstallRun.h"
#include "setup/KSetupOptions.h"
#include "storage/NBinder.h"

#include <memory>
#include <string>

class KSetupPage;

class KApp : public NSpriteApp {
public:
    static constexpr int32_t kSetupPage = 1;
    static constexpr uint32_t kQuitDelay = 2000;   // ms a silent run waits before it quits
    static constexpr char kPalette[] = "theme.pal";
    static constexpr char kEnglish[] = "eng";
    static constexpr char kTableExtension[] = ".xst";

    KApp();
    ~KApp() override;

    /// The program's entry: a silent run installs without any window; otherwise the
    /// window's own entry runs the panes. Returns the exit status.
    int ProgramMain(int argc, char** argv);

    // NSpriteApp
    bool Initialize() override;
    void Start() override;
    bool HandleEvent(const NPortEvent& event) override;
    std::string GetAppName() const override;
    std::string GetWindowTitle() const override;

    /// The file whose payload is mounted, in place of the running program's own (tests run
    /// the panes in-process over the built setup).
    void SetProgramFile(const NFileSpec& program) { fProgramFile = program; }
    const KSetupOptions& Options() const { return fOptions; }
    NFDirSpec AssetsFolder() const;
    bool PayloadSealed() const { return fPayloadSealed; }
    /// Runs the install from the panes (choose: through the folder chooser).
    KInstallOutcome RunInstall(bool chooseFolder, const std::function<void()>& advance);
    const KInstallOutcome& LastOutcome() const { return fOutcome; }
    bool InstalledSilently() const { return fInstalledSilently; }

private:
    /// Start-up shared by both runs: locale, options, the seal, the mount, the tables.
    void Prepare();
    void LoadStringTables();
    int RunSilent();
    void WriteLog(int64_t elapsedMicroseconds);

    KSetupOptions fOptions;
    NFileSpec fProgramFile;
    NBinder fPayload;
    bool fPayloadSealed = false;
    bool fInstalledSilently = false;
    KInstallOutcome fOutcome;
    KInstallLog fLog;
    std::unique_ptr<KSetupPage> fPage;
};
