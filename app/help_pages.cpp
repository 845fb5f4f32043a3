#include "app/help_pages.h"

#include <cerrno>

#include <sys/wait.h>
#include <unistd.h>

#include "framework/file_utils.h"
#include "framework/sysutils.h"

namespace {

// Hands Page to the desktop's opener with an argument list. The opener runs detached (a
// grandchild), so nothing waits for the browser and no finished child is left behind.
bool OpenWithDesktop(const std::string& Page) {
    const char* const argv[] = {"xdg-open", Page.c_str(), nullptr};
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        if (fork() == 0) {
            setsid();
            execvp(argv[0], const_cast<char* const*>(argv));
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::function<bool(const std::string& Page)> HelpPageOpener = OpenWithDesktop;

std::string HelpPageFor(const std::string& HelpFile, Integer Context) {
    const std::string folder = ExtractFilePath(HelpFile) + "help/";
    if (Context > 0) {
        const std::string page = folder + IntToStr(Context) + ".html";
        if (FileExists(page)) return page;
    }
    const std::string contents = folder + "index.html";
    return FileExists(contents) ? contents : std::string();
}

bool ShowHelpPage(const std::string& HelpFile, Integer Context) {
    const std::string page = HelpPageFor(HelpFile, Context);
    return !page.empty() && HelpPageOpener && HelpPageOpener(page);
}
