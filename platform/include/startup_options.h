// The options a player gives the program on systems other than Windows: the settings file,
// then the command line (--window, --fullscreen, --filter=, --scale=, --help, --version).
#ifndef QV_PLATFORM_STARTUP_OPTIONS_H
#define QV_PLATFORM_STARTUP_OPTIONS_H

namespace plat {

// Reads the settings file and the command line and keeps what they choose for the display.
// Returns -1 when the program should go on; otherwise the exit code to end with at once: 0
// after --help or --version, 2 after a bad option or setting (named in a line on stderr). No
// window has been opened either way.
int ApplyStartupOptions(int argc, char** argv);

}  // namespace plat

#endif
