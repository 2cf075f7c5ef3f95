// The SDL2 window service: windows, the event pump, key mapping and presenting through the window surface.
#include "platform/NHostSdlDisplay.h"

#include "platform/NHostBitmap.h"
#include "platform/NHostDeviceContext.h"
#include "platform/NHostDrives.h"
#include "platform/NHostSdlClipboard.h"
#include "platform/NHostTime.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>

// The presenting side of the main window. Copies go into the window surface and are sent
// to the screen together, as the rectangles of one render, when the context is released.
class NHostSdlWindow : public NHostWindow {
public:
    NHostSdlWindow(SDL_Window* window, NHostSdlDisplay& display, int32_t width, int32_t height)
        : fWindow(window)
        , fDisplay(display)
        , fWidth(width)
        , fHeight(height)
        , fContext(NHostDeviceContext::CreateCompatible())
    {
    }
    ~NHostSdlWindow() override { SDL_DestroyWindow(fWindow); }

    int32_t DisplayDepth() const override { return fDisplay.ScreenDepth(); }
    int32_t Width() const override { return fWidth; }
    int32_t Height() const override { return fHeight; }
    NHostDeviceContext& AcquireContext() override
    {
        ++fUsers;
        return *fContext;
    }
    void ReleaseContext() override
    {
        if (fUsers > 0 && --fUsers == 0)
            Flush();
    }
    bool CopyFrom(const NHostDeviceContext& source, int32_t sourceX, int32_t sourceY, int32_t x, int32_t y,
                  int32_t width, int32_t height) override;

    SDL_Window* Window() const { return fWindow; }
    void Resize(int32_t width, int32_t height)
    {
        fWidth = width;
        fHeight = height;
    }

private:
    void Flush();

    SDL_Window* fWindow;
    NHostSdlDisplay& fDisplay;
    int32_t fWidth;
    int32_t fHeight;
    std::unique_ptr<NHostDeviceContext> fContext;
    int32_t fUsers = 0;
    std::vector<SDL_Rect> fDirty;
};

namespace {

constexpr char kBusAddressVariable[] = "DBUS_SESSION_BUS_ADDRESS";
// A socket that cannot exist: connecting fails at once, and nothing is launched.
constexpr char kNoBusAddress[] = "unix:path=/nonexistent/lumora-no-session-bus";

// Whether the session has a bus to connect to: a given address, or the socket in the
// runtime folder the bus library looks at without one.
bool SessionBusExists()
{
    const char* address = std::getenv(kBusAddressVariable);
    if (address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return false;
    struct stat info {};
    return stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

constexpr int32_t kWatchSlice = 200;   // how often a wait looks at the watched descriptor
constexpr int32_t kWheelStep = 120;
constexpr uint32_t kRgbMask = 0x00FFFFFF;

// Set once the process is ending through exit(). The X library ends the process that way
// when the display connection breaks, and any further call on that connection from a
// destructor would end it again from inside exit; so windows left at that point are not
// destroyed but left to the end of the process.
bool sExiting = false;

uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

uint8_t Expand5(int value)
{
    return uint8_t(value << 3 | value >> 2);
}

// Keys whose virtual key follows from their position on the keyboard.
int32_t VirtualKeyFromScancode(SDL_Scancode code)
{
    if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12)
        return kVkF1 + (code - SDL_SCANCODE_F1);
    if (code >= SDL_SCANCODE_F13 && code <= SDL_SCANCODE_F24)
        return kVkF1 + 12 + (code - SDL_SCANCODE_F13);
    if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9)
        return kVkNumpad0 + 1 + (code - SDL_SCANCODE_KP_1);
    switch (code) {
    case SDL_SCANCODE_KP_0: return kVkNumpad0;
    case SDL_SCANCODE_KP_MULTIPLY: return kVkMultiply;
    case SDL_SCANCODE_KP_PLUS: return kVkAdd;
    case SDL_SCANCODE_KP_COMMA: return kVkSeparator;
    case SDL_SCANCODE_KP_MINUS: return kVkSubtract;
    case SDL_SCANCODE_KP_PERIOD: return kVkDecimal;
    case SDL_SCANCODE_KP_DIVIDE: return kVkDivide;
    case SDL_SCANCODE_KP_ENTER: return kVkReturn;
    case SDL_SCANCODE_NUMLOCKCLEAR: return kVkNumLock;
    case SDL_SCANCODE_INSERT: return kVkInsert;
    case SDL_SCANCODE_DELETE: return kVkDelete;
    case SDL_SCANCODE_HOME: return kVkHome;
    case SDL_SCANCODE_END: return kVkEnd;
    case SDL_SCANCODE_PAGEUP: return kVkPrior;
    case SDL_SCANCODE_PAGEDOWN: return kVkNext;
    case SDL_SCANCODE_LEFT: return kVkLeft;
    case SDL_SCANCODE_RIGHT: return kVkRight;
    case SDL_SCANCODE_UP: return kVkUp;
    case SDL_SCANCODE_DOWN: return kVkDown;
    case SDL_SCANCODE_PRINTSCREEN: return kVkSnapshot;
    case SDL_SCANCODE_SCROLLLOCK: return kVkScroll;
    case SDL_SCANCODE_PAUSE: return kVkPause;
    case SDL_SCANCODE_CAPSLOCK: return kVkCapital;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return kVkShift;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return kVkControl;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return kVkMenu;
    case SDL_SCANCODE_LGUI: return 91;
    case SDL_SCANCODE_RGUI: return 92;
    case SDL_SCANCODE_APPLICATION: return 93;
    case SDL_SCANCODE_CLEAR: return kVkClear;
    default: return 0;
    }
}

// Letters and digits come from the keycode, so they follow the keyboard layout; the
// punctuation keys are named explicitly because their characters collide with other
// virtual keys (",", for one, is 44, the code of the print-screen key).
int32_t VirtualKeyFromKeycode(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return kVkA + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return kVk0 + (key - SDLK_0);
    switch (key) {
    case SDLK_BACKSPACE: return kVkBack;
    case SDLK_TAB: return kVkTab;
    case SDLK_RETURN: return kVkReturn;
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_SPACE: return kVkSpace;
    case SDLK_SEMICOLON: return kVkOemSemicolon;
    case SDLK_EQUALS: return kVkOemPlus;
    case SDLK_COMMA: return kVkOemComma;
    case SDLK_MINUS: return kVkOemMinus;
    case SDLK_PERIOD: return kVkOemPeriod;
    case SDLK_SLASH: return kVkOemSlash;
    case SDLK_BACKQUOTE: return kVkOemGrave;
    case SDLK_LEFTBRACKET: return kVkOemLeftBracket;
    case SDLK_BACKSLASH: return kVkOemBackslash;
    case SDLK_RIGHTBRACKET: return kVkOemRightBracket;
    case SDLK_QUOTE: return kVkOemQuote;
    default: return 0;
    }
}

int32_t VirtualKey(const SDL_Keysym& sym)
{
    return NHostSdlDisplay::VirtualKeyOf(sym.scancode, sym.sym);
}

uint8_t ModifierBits(uint16_t mod)
{
    uint8_t bits = 0;
    if (mod & KMOD_SHIFT)
        bits |= kHostShift;
    if (mod & KMOD_CTRL)
        bits |= kHostControl;
    if (mod & KMOD_ALT)
        bits |= kHostAlt;
    return bits;
}

// The character a key produces by itself, where text input gives none: the controls the
// platform's translation makes of these keys and of Control with a letter.
int ControlCharacter(int32_t virtualKey, uint8_t modifiers)
{
    switch (virtualKey) {
    case kVkBack: return 8;
    case kVkTab: return 9;
    case kVkReturn: return 13;
    case kVkEscape: return 27;
    default: break;
    }
    if ((modifiers & (kHostControl | kHostAlt)) == kHostControl && virtualKey >= kVkA && virtualKey < kVkA + 26)
        return virtualKey - kVkA + 1;
    return 0;
}

} // namespace

bool NHostSdlWindow::CopyFrom(const NHostDeviceContext& source, int32_t sourceX, int32_t sourceY, int32_t x, int32_t y,
                              int32_t width, int32_t height)
{
    const NHostBitmap* bitmap = source.SelectedBitmap();
    if (!bitmap || !bitmap->Bits())
        return false;
    int32_t left = std::max({ x, int32_t(0), x - sourceX });
    int32_t top = std::max({ y, int32_t(0), y - sourceY });
    int32_t right = std::min({ x + width, fWidth, x - sourceX + bitmap->Width() });
    int32_t bottom = std::min({ y + height, fHeight, y - sourceY + bitmap->Height() });
    if (right <= left || bottom <= top)
        return true;
    SDL_Surface* surface = SDL_GetWindowSurface(fWindow);
    if (!surface)
        return false;
    int32_t scale = fDisplay.ShownScale();
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    fDisplay.ContentOffset(offsetX, offsetY);
    // The window may be smaller than the content when the window manager shrank it.
    right = std::min(right, (surface->w - offsetX) / scale);
    bottom = std::min(bottom, (surface->h - offsetY) / scale);
    if (right <= left || bottom <= top)
        return true;

    uint32_t colors[NHostPalette::kEntries];
    if (bitmap->Depth() == kPaletteDepth) {
        bool useWindowPalette = DisplayDepth() == kPaletteDepth && fContext->HasRealizedPalette();
        for (int i = 0; i < NHostPalette::kEntries; ++i) {
            if (useWindowPalette) {
                const NHostColor& entry = fContext->SelectedPalette().Entry(i);
                colors[i] = Rgb(entry.fRed, entry.fGreen, entry.fBlue);
            } else {
                const NHostRgbQuad& quad = bitmap->ColorTable()[i];
                colors[i] = Rgb(quad.fRed, quad.fGreen, quad.fBlue);
            }
        }
    }
    bool locked = SDL_MUSTLOCK(surface);
    if (locked && SDL_LockSurface(surface) != 0)
        return false;
    const SDL_PixelFormat* format = surface->format;
    // XRGB and ARGB surfaces take the back buffer's words as they are.
    bool direct = format->BytesPerPixel == 4 && format->Rmask == 0x00FF0000 && format->Gmask == 0x0000FF00
        && format->Bmask == 0x000000FF;
    int32_t count = right - left;
    std::vector<uint32_t> row(size_t(count) * size_t(scale));
    for (int32_t line = top; line < bottom; ++line) {
        const uint8_t* from = bitmap->Bits() + size_t(line - y + sourceY) * size_t(bitmap->RowBytes());
        int32_t column = left - x + sourceX;
        if (bitmap->Depth() == kTrueColorDepth && direct && scale == 1) {
            std::memcpy(static_cast<uint8_t*>(surface->pixels) + size_t(line + offsetY) * size_t(surface->pitch)
                            + size_t(left + offsetX) * 4,
                        from + size_t(column) * 4, size_t(count) * 4);
            continue;
        }
        for (int32_t i = 0; i < count; ++i) {
            uint32_t rgb;
            if (bitmap->Depth() == kTrueColorDepth) {
                std::memcpy(&rgb, from + size_t(column + i) * 4, 4);
                rgb &= kRgbMask;
            } else if (bitmap->Depth() == kPaletteDepth) {
                rgb = colors[from[column + i]];
            } else {
                uint16_t pixel;
                std::memcpy(&pixel, from + size_t(column + i) * 2, 2);
                rgb = Rgb(Expand5(pixel >> 10 & 0x1F), Expand5(pixel >> 5 & 0x1F), Expand5(pixel & 0x1F));
            }
            if (!direct)
                rgb = SDL_MapRGB(format, uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
            for (int32_t k = 0; k < scale; ++k)
                row[size_t(i) * size_t(scale) + size_t(k)] = rgb;
        }
        for (int32_t k = 0; k < scale; ++k) {
            uint8_t* to = static_cast<uint8_t*>(surface->pixels)
                + size_t(line * scale + k + offsetY) * size_t(surface->pitch)
                + (size_t(left) * size_t(scale) + size_t(offsetX)) * format->BytesPerPixel;
            if (format->BytesPerPixel == 4) {
                std::memcpy(to, row.data(), row.size() * 4);
            } else {
                for (size_t i = 0; i < row.size(); ++i)
                    std::memcpy(to + i * format->BytesPerPixel, &row[i], format->BytesPerPixel);
            }
        }
    }
    if (locked)
        SDL_UnlockSurface(surface);
    fDirty.push_back({ left * scale + offsetX, top * scale + offsetY, count * scale, (bottom - top) * scale });
    if (fUsers == 0)
        Flush();
    return true;
}

void NHostSdlWindow::Flush()
{
    if (fDirty.empty())
        return;
    SDL_UpdateWindowSurfaceRects(fWindow, fDirty.data(), int(fDirty.size()));
    fDirty.clear();
}

int32_t NHostSdlDisplay::VirtualKeyOf(int32_t scancode, int32_t keycode)
{
    int32_t key = scancode > SDL_SCANCODE_UNKNOWN && scancode < SDL_NUM_SCANCODES
        ? VirtualKeyFromScancode(static_cast<SDL_Scancode>(scancode))
        : 0;
    return key != 0 ? key : VirtualKeyFromKeycode(keycode);
}

bool NHostSdlDisplay::Open(std::string& error)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
        return true;
    // The programs draw every pixel themselves into the window surface. Left to itself,
    // SDL decides how to back that surface by opening a trial OpenGL window and context,
    // which costs a tenth of a second and more at every start; a set variable still wins.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    // SDL connects to the session bus for the screen saver and input methods. Where the
    // session has none, the bus library would launch one, forking the whole program to run
    // dbus-launch, at every start; a bus made that way offers neither service. So SDL is
    // shown no bus while it starts, and the environment is left as it was for children.
    bool hideBus = !SessionBusExists();
    if (hideBus)
        setenv(kBusAddressVariable, kNoBusAddress, 1);
    int started = SDL_Init(SDL_INIT_VIDEO);
    if (hideBus)
        unsetenv(kBusAddressVariable);
    if (started != 0) {
        error = SDL_GetError();
        return false;
    }
    static bool registered = std::atexit([] { sExiting = true; }) == 0;
    (void)registered;
    return true;
}

std::unique_ptr<NHostDisplay> NHostDisplay::CreateDesktop(std::string& error)
{
    if (!NHostSdlDisplay::Open(error))
        return nullptr;
    return std::make_unique<NHostSdlDisplay>();
}

NHostSdlDisplay::NHostSdlDisplay()
{
    // Drops are off until the program asks for them.
    SDL_EventState(SDL_DROPFILE, SDL_DISABLE);
    SDL_EventState(SDL_DROPBEGIN, SDL_DISABLE);
    SDL_EventState(SDL_DROPCOMPLETE, SDL_DISABLE);
    SDL_EventState(SDL_DROPTEXT, SDL_DISABLE);
    // Cut, copy and paste reach the desktop's clipboard while the window service is open.
    fClipboard = std::make_unique<NHostSdlClipboard>();
    NHostClipboard::Install(fClipboard.get());
}

NHostSdlDisplay::~NHostSdlDisplay()
{
    if (NHostWindow::Main() == fMain.get())
        NHostWindow::SetMain(nullptr);
    if (sExiting) {
        (void)fMain.release();
        return;
    }
    fMain.reset();
    fClipboard.reset();
    if (fBackdrop)
        SDL_DestroyWindow(fBackdrop);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

int32_t NHostSdlDisplay::NativeWidth() const
{
    SDL_DisplayMode mode;
    return SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.w : 0;
}

int32_t NHostSdlDisplay::NativeHeight() const
{
    SDL_DisplayMode mode;
    return SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.h : 0;
}

int32_t NHostSdlDisplay::NativeDepth() const
{
    SDL_DisplayMode mode;
    return SDL_GetDesktopDisplayMode(0, &mode) == 0 ? int32_t(SDL_BITSPERPIXEL(mode.format)) : 0;
}

bool NHostSdlDisplay::CreateBackdrop(std::string_view title, uint32_t rgb)
{
    fBackdropColor = rgb;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (NHostBackdropNeedsCovering(std::getenv("LUMORA_BACKDROP"), driver ? driver : "", nullptr, NativeWidth(),
                                   NativeHeight())) {
        StartCovering();
        return true;
    }
    std::string text(title);
    fBackdrop = SDL_CreateWindow(text.c_str(), 0, 0, NativeWidth(), NativeHeight(),
                                 SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR);
    if (!fBackdrop)
        return false;
    PaintBackdrop();
    return true;
}

void NHostSdlDisplay::SetBackdropColor(uint32_t rgb)
{
    fBackdropColor = rgb;
    PaintBackdrop();
    if (fCovering)
        PaintSurround();
}

void NHostSdlDisplay::CheckBackdrop()
{
    if (!fBackdrop || (SDL_GetWindowFlags(fBackdrop) & SDL_WINDOW_SHOWN) == 0)
        return;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    SDL_GetWindowPosition(fBackdrop, &x, &y);
    SDL_GetWindowSize(fBackdrop, &w, &h);
    NHostRect shown { x, y, x + w, y + h };
    const char* driver = SDL_GetCurrentVideoDriver();
    if (NHostBackdropNeedsCovering(std::getenv("LUMORA_BACKDROP"), driver ? driver : "", &shown, NativeWidth(),
                                   NativeHeight()))
        StartCovering();
}

void NHostSdlDisplay::StartCovering()
{
    fCovering = true;
    fBackdropCovered = true;
    if (fBackdrop) {
        SDL_DestroyWindow(fBackdrop);
        fBackdrop = nullptr;
    }
    if (!fMain)
        return;   // the main window is made full-screen when it is created
    FillScreen();
}

void NHostSdlDisplay::CoverScreen(bool on, int32_t scale)
{
    if (!fMain || on == fCoverAsked) {
        if (on && fCoverAsked && scale != fCoverScale) {
            fCoverScale = std::clamp(scale, 1, kMaxScale);
            fPending.push_back(Stamped(NHostMessageType::kPaint));
            PaintSurround();
        }
        return;
    }
    SDL_Window* window = fMain->Window();
    fCoverAsked = on;
    if (on) {
        fCoverScale = std::clamp(scale, 1, kMaxScale);
        if (fCovering) {
            // Already covering for the backdrop: only the content's scale changes.
            fPending.push_back(Stamped(NHostMessageType::kPaint));
            PaintSurround();
            return;
        }
        SDL_GetWindowPosition(window, &fWindowedX, &fWindowedY);
        SDL_GetWindowSize(window, &fWindowedWidth, &fWindowedHeight);
        fWindowedBordered = (SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS) == 0;
        fCovering = true;
        FillScreen();
        return;
    }
    fCoverScale = 0;
    if (fBackdropCovered) {
        // The backdrop still needs the screen; the content goes back to the display's scale.
        fPending.push_back(Stamped(NHostMessageType::kPaint));
        PaintSurround();
        return;
    }
    fCovering = false;
    SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowBordered(window, fWindowedBordered ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowMinimumSize(window, fMain->Width() * fScale, fMain->Height() * fScale);
    SDL_SetWindowSize(window, std::max(fWindowedWidth, fMain->Width() * fScale),
                      std::max(fWindowedHeight, fMain->Height() * fScale));
    SDL_SetWindowPosition(window, fWindowedX, fWindowedY);
    fPending.push_back(Stamped(NHostMessageType::kPaint));
}

void NHostSdlDisplay::FillScreen()
{
    SDL_Window* window = fMain->Window();
    SDL_SetWindowMinimumSize(window, 1, 1);
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    fPending.push_back(Stamped(NHostMessageType::kPaint));
    fPending.push_back(Stamped(NHostMessageType::kBackdropPaint));
    PaintSurround();
}

void NHostSdlDisplay::ContentOffset(int32_t& x, int32_t& y) const
{
    x = 0;
    y = 0;
    if (!fCovering || !fMain)
        return;
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(fMain->Window(), &w, &h);
    x = std::max(0, (w - fMain->Width() * ShownScale()) / 2);
    y = std::max(0, (h - fMain->Height() * ShownScale()) / 2);
}

void NHostSdlDisplay::PaintSurround()
{
    if (!fCovering || !fMain)
        return;
    SDL_Surface* surface = SDL_GetWindowSurface(fMain->Window());
    if (!surface)
        return;
    int32_t x = 0;
    int32_t y = 0;
    ContentOffset(x, y);
    int32_t width = fMain->Width() * ShownScale();
    int32_t height = fMain->Height() * ShownScale();
    uint32_t color = SDL_MapRGB(surface->format, uint8_t(fBackdropColor >> 16), uint8_t(fBackdropColor >> 8),
                                uint8_t(fBackdropColor));
    SDL_Rect bands[4] = {
        { 0, 0, surface->w, y },
        { 0, y + height, surface->w, surface->h - y - height },
        { 0, y, x, height },
        { x + width, y, surface->w - x - width, height },
    };
    std::vector<SDL_Rect> painted;
    for (const SDL_Rect& band : bands) {
        if (band.w > 0 && band.h > 0) {
            SDL_FillRect(surface, &band, color);
            painted.push_back(band);
        }
    }
    if (!painted.empty())
        SDL_UpdateWindowSurfaceRects(fMain->Window(), painted.data(), int(painted.size()));
}

void NHostSdlDisplay::PaintBackdrop()
{
    if (!fBackdrop)
        return;
    SDL_Surface* surface = SDL_GetWindowSurface(fBackdrop);
    if (!surface)
        return;
    SDL_FillRect(surface, nullptr,
                 SDL_MapRGB(surface->format, uint8_t(fBackdropColor >> 16), uint8_t(fBackdropColor >> 8),
                            uint8_t(fBackdropColor)));
    SDL_UpdateWindowSurface(fBackdrop);
}

bool NHostSdlDisplay::CreateMain(std::string_view title, int32_t x, int32_t y, int32_t width, int32_t height,
                                 const NHostWindowStyle& style)
{
    std::string text(title);
    uint32_t flags = SDL_WINDOW_HIDDEN;
    if (style.fPopup || style.fFullScreen)
        flags |= SDL_WINDOW_BORDERLESS;
    SDL_Window* window = SDL_CreateWindow(text.c_str(), x * fScale, y * fScale, width * fScale, height * fScale, flags);
    if (!window)
        return false;
    // The window never becomes smaller than the content area.
    SDL_SetWindowMinimumSize(window, width * fScale, height * fScale);
    fMain = std::make_unique<NHostSdlWindow>(window, *this, width, height);
    SDL_StartTextInput();
    if (fCovering)
        StartCovering();
    return true;
}

NHostWindow* NHostSdlDisplay::Main()
{
    return fMain.get();
}

void NHostSdlDisplay::Show()
{
    if (fBackdrop)
        SDL_ShowWindow(fBackdrop);
    if (!fMain)
        return;
    SDL_ShowWindow(fMain->Window());
    SDL_RaiseWindow(fMain->Window());
    CheckBackdrop();
}

void NHostSdlDisplay::Minimize()
{
    // The backdrop goes with the window it lies under; it would cover the desktop otherwise.
    if (fBackdrop)
        SDL_MinimizeWindow(fBackdrop);
    if (fMain)
        SDL_MinimizeWindow(fMain->Window());
}

void NHostSdlDisplay::Maximize()
{
    if (fMain)
        SDL_MaximizeWindow(fMain->Window());
}

void NHostSdlDisplay::Restore()
{
    if (fBackdrop)
        SDL_RestoreWindow(fBackdrop);
    if (fMain) {
        SDL_RestoreWindow(fMain->Window());
        SDL_RaiseWindow(fMain->Window());
    }
}

bool NHostSdlDisplay::IsMinimized() const
{
    return fMain && (SDL_GetWindowFlags(fMain->Window()) & SDL_WINDOW_MINIMIZED) != 0;
}

void NHostSdlDisplay::MoveMain(int32_t x, int32_t y)
{
    if (fMain)
        SDL_SetWindowPosition(fMain->Window(), x * fScale, y * fScale);
}

void NHostSdlDisplay::SetStyle(const NHostWindowStyle& style, int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (!fMain)
        return;
    fMain->Resize(width, height);
    if (fCovering) {
        // Still full-screen on the new screen; the content is centred afresh.
        PaintSurround();
        return;
    }
    SDL_SetWindowBordered(fMain->Window(), style.fPopup || style.fFullScreen ? SDL_FALSE : SDL_TRUE);
    SDL_SetWindowSize(fMain->Window(), width * fScale, height * fScale);
    SDL_SetWindowPosition(fMain->Window(), x * fScale, y * fScale);
    if (fBackdrop) {
        SDL_SetWindowSize(fBackdrop, NativeWidth(), NativeHeight());
        SDL_SetWindowPosition(fBackdrop, 0, 0);
    }
}

void NHostSdlDisplay::SetTitle(std::string_view title)
{
    if (fMain)
        SDL_SetWindowTitle(fMain->Window(), std::string(title).c_str());
}

void NHostSdlDisplay::MainPosition(int32_t& x, int32_t& y) const
{
    x = 0;
    y = 0;
    if (!fMain)
        return;
    SDL_GetWindowPosition(fMain->Window(), &x, &y);
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    ContentOffset(offsetX, offsetY);
    x += offsetX;
    y += offsetY;
}

bool NHostSdlDisplay::RaiseMain()
{
    if (!fMain)
        return false;
    if (IsMinimized())
        SDL_RestoreWindow(fMain->Window());
    SDL_RaiseWindow(fMain->Window());
    return true;
}

bool NHostSdlDisplay::IsForeground() const
{
    return fMain && (SDL_GetWindowFlags(fMain->Window()) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void NHostSdlDisplay::Invalidate()
{
    fPending.push_back(Stamped(NHostMessageType::kPaint));
}

NHostMessage NHostSdlDisplay::Stamped(NHostMessageType type) const
{
    NHostMessage message;
    message.fType = type;
    // Stamped on the clock the application clock counts from, not SDL's own.
    message.fTime = NHostTime::Milliseconds();
    message.fModifiers = ModifierBits(uint16_t(SDL_GetModState()));
    return message;
}

namespace {

int32_t Unscale(int32_t value, int32_t scale)
{
    return value >= 0 ? value / scale : (value - scale + 1) / scale;
}

} // namespace

int32_t NHostSdlDisplay::ToContentX(int32_t windowX) const
{
    int32_t x = 0;
    int32_t y = 0;
    ContentOffset(x, y);
    return Unscale(windowX - x, ShownScale());
}

int32_t NHostSdlDisplay::ToContentY(int32_t windowY) const
{
    int32_t x = 0;
    int32_t y = 0;
    ContentOffset(x, y);
    return Unscale(windowY - y, ShownScale());
}

void NHostSdlDisplay::TranslateWindowEvent(const SDL_Event& event)
{
    SDL_Window* main = fMain ? fMain->Window() : nullptr;
    SDL_Window* window = SDL_GetWindowFromID(event.window.windowID);
    if (window && window == fBackdrop) {
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
            PaintBackdrop();
            fPending.push_back(Stamped(NHostMessageType::kBackdropPaint));
        } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED && main) {
            // The backdrop never stays active: the main window is put in front of it.
            SDL_RaiseWindow(main);
        } else if (event.window.event == SDL_WINDOWEVENT_MOVED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED
                   || event.window.event == SDL_WINDOWEVENT_SHOWN) {
            CheckBackdrop();
        }
        return;
    }
    if (!window || window != main)
        return;
    switch (event.window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST: {
        // Losing the focus ends any grab, so a button held down may never come up here.
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
            fPending.push_back(Stamped(NHostMessageType::kCaptureChanged));
        NHostMessage message = Stamped(NHostMessageType::kActivate);
        message.fActive = event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
        fPending.push_back(message);
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        NHostMessage message = Stamped(NHostMessageType::kSize);
        message.fMinimized = event.window.event == SDL_WINDOWEVENT_MINIMIZED;
        int w = 0;
        int h = 0;
        SDL_GetWindowSize(main, &w, &h);
        // Covering, the window is the screen; the program's window is still its content.
        message.fWidth = fCovering ? fMain->Width() : w / fScale;
        message.fHeight = fCovering ? fMain->Height() : h / fScale;
        fPending.push_back(message);
        if (event.window.event != SDL_WINDOWEVENT_MINIMIZED) {
            fPending.push_back(Stamped(NHostMessageType::kPaint));
            if (fCovering) {
                PaintSurround();
                fPending.push_back(Stamped(NHostMessageType::kBackdropPaint));
            }
        }
        break;
    }
    case SDL_WINDOWEVENT_EXPOSED:
        fPending.push_back(Stamped(NHostMessageType::kPaint));
        if (fCovering) {
            PaintSurround();
            fPending.push_back(Stamped(NHostMessageType::kBackdropPaint));
        }
        break;
    case SDL_WINDOWEVENT_MOVED:
        fPending.push_back(Stamped(NHostMessageType::kMoved));
        break;
    case SDL_WINDOWEVENT_CLOSE:
        fPending.push_back(Stamped(NHostMessageType::kClose));
        break;
    default:
        break;
    }
}

void NHostSdlDisplay::Translate(const SDL_Event& event)
{
    SDL_Window* main = fMain ? fMain->Window() : nullptr;
    switch (event.type) {
    case SDL_QUIT:
        fPending.push_back(Stamped(NHostMessageType::kClose));
        break;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event);
        break;
    case SDL_DISPLAYEVENT:
        fPending.push_back(Stamped(NHostMessageType::kDisplayChange));
        break;
    case SDL_MOUSEMOTION: {
        if (!main || event.motion.windowID != SDL_GetWindowID(main))
            break;
        NHostMessage message = Stamped(NHostMessageType::kMouseMove);
        message.fX = ToContentX(event.motion.x);
        message.fY = ToContentY(event.motion.y);
        fPending.push_back(message);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        SDL_Window* window = SDL_GetWindowFromID(event.button.windowID);
        if (window && window == fBackdrop) {
            if (event.type == SDL_MOUSEBUTTONDOWN
                && (event.button.button == SDL_BUTTON_LEFT || event.button.button == SDL_BUTTON_RIGHT))
                fPending.push_back(Stamped(NHostMessageType::kBackdropClick));
            break;
        }
        if (!main || window != main)
            break;
        if (fCovering && event.type == SDL_MOUSEBUTTONDOWN) {
            int32_t x = ToContentX(event.button.x);
            int32_t y = ToContentY(event.button.y);
            if (x < 0 || y < 0 || x >= fMain->Width() || y >= fMain->Height()) {
                // Around the content lies the backdrop. Releases still go to the content,
                // which may hold the pointer.
                if (event.button.button == SDL_BUTTON_LEFT || event.button.button == SDL_BUTTON_RIGHT)
                    fPending.push_back(Stamped(NHostMessageType::kBackdropClick));
                break;
            }
        }
        NHostMessage message = Stamped(event.type == SDL_MOUSEBUTTONDOWN ? NHostMessageType::kButtonDown
                                                                         : NHostMessageType::kButtonUp);
        message.fButton = event.button.button == SDL_BUTTON_LEFT    ? NHostButton::kLeft
            : event.button.button == SDL_BUTTON_RIGHT ? NHostButton::kRight
                                                      : NHostButton::kOther;
        message.fDoubleClick = event.type == SDL_MOUSEBUTTONDOWN && event.button.clicks == 2;
        message.fX = ToContentX(event.button.x);
        message.fY = ToContentY(event.button.y);
        fPending.push_back(message);
        break;
    }
    case SDL_MOUSEWHEEL: {
        if (!main || event.wheel.windowID != SDL_GetWindowID(main))
            break;
        NHostMessage message = Stamped(NHostMessageType::kWheel);
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        message.fX = ToContentX(x);
        message.fY = ToContentY(y);
        int32_t steps = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        message.fWheelDelta = steps * kWheelStep;
        fPending.push_back(message);
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        NHostMessage message = Stamped(event.type == SDL_KEYDOWN ? NHostMessageType::kKeyDown : NHostMessageType::kKeyUp);
        message.fVirtualKey = VirtualKey(event.key.keysym);
        message.fRepeat = event.key.repeat != 0;
        message.fModifiers = ModifierBits(event.key.keysym.mod);
        fPending.push_back(message);
        if (event.type == SDL_KEYDOWN) {
            if (int c = ControlCharacter(message.fVirtualKey, message.fModifiers)) {
                NHostMessage character = message;
                character.fType = NHostMessageType::kChar;
                character.fChar = uint8_t(c);
                fPending.push_back(character);
            }
        }
        break;
    }
    case SDL_TEXTINPUT: {
        std::string text = NHostUtf8ToAnsi(event.text.text);
        for (char c : text) {
            NHostMessage message = Stamped(NHostMessageType::kChar);
            message.fChar = uint8_t(c);
            fPending.push_back(message);
        }
        break;
    }
    case SDL_DROPBEGIN:
        fDropping = true;
        fDropped.clear();
        break;
    case SDL_DROPFILE:
        if (event.drop.file) {
            fDropped.push_back(NHostDrives::The().ToHost(event.drop.file));
            SDL_free(event.drop.file);
        }
        // Without a begin (older window systems) every file is a drop of its own.
        if (fDropping)
            break;
        [[fallthrough]];
    case SDL_DROPCOMPLETE: {
        fDropping = false;
        NHostMessage message = Stamped(NHostMessageType::kDropFiles);
        int x = 0;
        int y = 0;
        // The pointer is read from the screen: while something is dragged in, the window
        // need not have the mouse focus.
        if (main) {
            int left = 0;
            int top = 0;
            SDL_GetGlobalMouseState(&x, &y);
            SDL_GetWindowPosition(main, &left, &top);
            x -= left;
            y -= top;
            message.fPointKnown = true;
        }
        message.fX = ToContentX(x);
        message.fY = ToContentY(y);
        message.fPaths = std::move(fDropped);
        fDropped.clear();
        fPending.push_back(std::move(message));
        break;
    }
    default:
        break;
    }
}

bool NHostSdlDisplay::TakePending(NHostMessage& message)
{
    if (fPending.empty())
        return false;
    message = std::move(fPending.front());
    fPending.pop_front();
    return true;
}

bool NHostSdlDisplay::PollMessage(NHostMessage& message)
{
    SDL_Event event;
    while (fPending.empty() && SDL_PollEvent(&event))
        Translate(event);
    if (TakePending(message))
        return true;
    if (WatchedReadable(0)) {
        message = Stamped(NHostMessageType::kWake);
        return true;
    }
    return false;
}

bool NHostSdlDisplay::WaitMessage(NHostMessage& message, int32_t timeout)
{
    if (PollMessage(message))
        return true;
    uint32_t start = NHostTime::Milliseconds();
    for (;;) {
        int32_t left = -1;
        if (timeout >= 0) {
            left = timeout - int32_t(NHostTime::Milliseconds() - start);
            if (left <= 0)
                return false;
        }
        // SDL cannot wait on another descriptor, so with one to watch the wait is sliced.
        int32_t slice = fWatched >= 0 ? (left < 0 ? kWatchSlice : std::min(left, kWatchSlice)) : left;
        SDL_Event event;
        int got = slice < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, slice);
        if (got) {
            Translate(event);
            if (PollMessage(message))
                return true;
        } else if (WatchedReadable(0)) {
            message = Stamped(NHostMessageType::kWake);
            return true;
        }
    }
}

void NHostSdlDisplay::ShowCursor(bool shown)
{
    SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

void NHostSdlDisplay::SetArrowCursor()
{
    static SDL_Cursor* arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    if (arrow)
        SDL_SetCursor(arrow);
}

void NHostSdlDisplay::CaptureMouse(bool on)
{
    SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

bool NHostSdlDisplay::IsKeyDown(int32_t virtualKey) const
{
    uint8_t modifiers = Modifiers();
    switch (virtualKey) {
    case kVkShift: return (modifiers & kHostShift) != 0;
    case kVkControl: return (modifiers & kHostControl) != 0;
    case kVkMenu: return (modifiers & kHostAlt) != 0;
    default: break;
    }
    int count = 0;
    const uint8_t* state = SDL_GetKeyboardState(&count);
    for (int code = 0; code < count; ++code) {
        if (!state[code])
            continue;
        SDL_Keysym sym {};
        sym.scancode = SDL_Scancode(code);
        sym.sym = SDL_GetKeyFromScancode(sym.scancode);
        if (VirtualKey(sym) == virtualKey)
            return true;
    }
    return false;
}

uint8_t NHostSdlDisplay::Modifiers() const
{
    return ModifierBits(uint16_t(SDL_GetModState()));
}

void NHostSdlDisplay::AllowScreenSaver(bool on)
{
    if (on)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

void NHostSdlDisplay::AcceptDrops(bool on)
{
    int state = on ? SDL_ENABLE : SDL_DISABLE;
    SDL_EventState(SDL_DROPFILE, state);
    SDL_EventState(SDL_DROPBEGIN, state);
    SDL_EventState(SDL_DROPCOMPLETE, state);
}
