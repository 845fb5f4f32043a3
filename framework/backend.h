#pragma once
// The Qt backend of the framework. Every part that needs Qt (text, fonts, windows, cursors)
// calls EnsureBackend() first; it creates the one application object on first use, on the
// thread that calls it first (the main thread).

#include <string>

void EnsureBackend();

// True once the application object exists.
bool BackendStarted();

class TBitmap;

// Writes a bitmap as a PNG file (for demos and test captures); false when it cannot.
bool SaveBitmapAsPng(TBitmap* Bitmap, const std::string& FileName);
