#include "service/HeadlessLaunch.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

bool IsHeadlessCommand(const char* firstArgument) {
    if (!firstArgument)
        return false;
    for (const char* word : {"--service", "list", "log", "status", "--help", "-h", "help"}) {
        if (std::strcmp(firstArgument, word) == 0)
            return true;
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
