#include "service/HeadlessLaunch.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
// Qt's own options for a window program; those marked as taking a value are followed by it.
struct WindowOption {
    const char* name;
    bool takesValue;
};
constexpr WindowOption kWindowOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"display", true},
    {"geometry", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"style", true},
    {"stylesheet", true},
    {"session", true},
    {"name", true},
    {"title", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
};

// The option named by arg ("-style" or "--style", also "-style=fusion"), or null.
const WindowOption* FindWindowOption(const char* arg, bool* valueAttached) {
    if (arg[0] != '-')
        return nullptr;
    const char* name = arg[1] == '-' ? arg + 2 : arg + 1;
    const char* equals = std::strchr(name, '=');
    const size_t length = equals ? size_t(equals - name) : std::strlen(name);
    for (const WindowOption& option : kWindowOptions) {
        if (std::strlen(option.name) == length && std::strncmp(name, option.name, length) == 0) {
            *valueAttached = equals != nullptr;
            return &option;
        }
    }
    return nullptr;
}

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}
} // namespace

bool IsHeadlessCommand(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        bool attached = false;
        const WindowOption* option = FindWindowOption(argv[i], &attached);
        if (!option)
            return true;
        if (option->takesValue && !attached)
            ++i;
    }
    return false;
}

int ExecHeadless(char** argv) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        std::fprintf(stderr, "hushwire: cannot find its own executable: %s\n",
                     std::strerror(errno));
        return 1;
    }
    const std::string path = std::string(self, size_t(n)) + "-service";
    ::execv(path.c_str(), argv);
    std::fprintf(stderr, "hushwire: cannot start %s: %s\n", path.c_str(), std::strerror(errno));
    return 1;
}

bool HasDisplay(int argc, char** argv) {
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        bool attached = false;
        const WindowOption* option = FindWindowOption(argv[i], &attached);
        if (option && (std::strcmp(option->name, "platform") == 0 ||
                       std::strcmp(option->name, "display") == 0))
            return true;
    }
    return false;
}

int ReportNoDisplay() {
    std::fprintf(stderr, "hushwire: there is no display to open the window on; to screen calls "
                         "without one, run 'hushwire --service'.\n");
    return 1;
}
