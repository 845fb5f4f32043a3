#pragma once
// What the demo programs share: the "--png FILE" argument, which makes a demo save what it shows
// (headless) instead of running, and saving a control with a line saying how it went.

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/forms.h"
#include "framework/testing/ui_test.h"

// Reads "--png FILE" from the command line, starts the headless platform when it is given and
// initializes the application under Title. Answers FILE, empty when the demo is to run.
inline std::string StartDemo(int argc, char** argv, const char* Title) {
    std::string png;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) png = argv[++i];
    if (!png.empty()) uitest::Start();
    Application->Initialize();
    Application->SetTitle(Title);
    return png;
}

inline bool ReportSaved(bool Saved, const std::string& File) {
    std::printf("%s %s\n", Saved ? "saved" : "could not save", File.c_str());
    return Saved;
}

// Saves what Control shows as the PNG file File and prints whether it could.
inline bool SaveDemoPng(TControl* Control, const std::string& File) {
    return ReportSaved(uitest::SavePng(Control, File), File);
}

// Saves the whole screen (every window shown, in its place) as the PNG file File.
inline bool SaveDemoScreenPng(const std::string& File) {
    return ReportSaved(uitest::CaptureScreen().SavePng(File), File);
}
