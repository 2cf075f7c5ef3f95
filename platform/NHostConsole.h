// The host's standard streams: whether one of them is an interactive terminal.
#pragma once

class NHostConsole {
public:
    /// True when standard error is a terminal, so that a tool may redraw a progress line.
    static bool ErrorIsTerminal();
};
