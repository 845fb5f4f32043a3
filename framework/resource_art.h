#pragma once
// Our own artwork for the named resources: pictures made once, on first use, by drawing with the
// framework's own canvas or from small pixel maps.

#include <cstdint>
#include <string>
#include <vector>

namespace lumora_art {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top first
};

struct Cursor {
    Picture picture;
    int hotX = 0;
    int hotY = 0;
};

// Null when there is no resource of that name (names compare without regard to case).
const Picture* FindBitmap(const std::string& name);
const Cursor* FindCursor(const std::string& name);
const Picture* FindIcon(const std::string& name);
// Null when there is no string with that number.
const char* FindString(int id);

std::vector<std::string> BitmapNames();
std::vector<std::string> CursorNames();

}  // namespace lumora_art
