#include "framework/backend.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>
#include <mutex>

namespace {

std::once_flag g_once;

}  // namespace

void EnsureBackend() {
    if (QCoreApplication::instance()) return;
    std::call_once(g_once, [] {
        if (QCoreApplication::instance()) return;
        // The application object keeps references to argc and argv for its whole life.
        static int argc = 1;
        static char name[] = "lumora";
        static char* argv[] = {name, nullptr};
        if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
        new QApplication(argc, argv);
    });
}

bool BackendStarted() {
    return QCoreApplication::instance() != nullptr;
}
