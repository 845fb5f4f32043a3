#pragma once
// System metrics with the classic Windows values (at 96 pixels per inch), so that layouts come
// out the same on every machine; the screen sizes come from the screen.

#include "framework/types.h"

constexpr Integer SM_CXSCREEN = 0;
constexpr Integer SM_CYSCREEN = 1;
constexpr Integer SM_CXVSCROLL = 2;
constexpr Integer SM_CYHSCROLL = 3;
constexpr Integer SM_CYCAPTION = 4;
constexpr Integer SM_CXBORDER = 5;
constexpr Integer SM_CYBORDER = 6;
constexpr Integer SM_CXDLGFRAME = 7;
constexpr Integer SM_CYDLGFRAME = 8;
constexpr Integer SM_CXFIXEDFRAME = SM_CXDLGFRAME;
constexpr Integer SM_CYFIXEDFRAME = SM_CYDLGFRAME;
constexpr Integer SM_CYVTHUMB = 9;
constexpr Integer SM_CXHTHUMB = 10;
constexpr Integer SM_CXICON = 11;
constexpr Integer SM_CYICON = 12;
constexpr Integer SM_CXCURSOR = 13;
constexpr Integer SM_CYCURSOR = 14;
constexpr Integer SM_CYMENU = 15;
constexpr Integer SM_CXFULLSCREEN = 16;
constexpr Integer SM_CYFULLSCREEN = 17;
constexpr Integer SM_MOUSEPRESENT = 19;
constexpr Integer SM_CYVSCROLL = 20;
constexpr Integer SM_CXHSCROLL = 21;
constexpr Integer SM_SWAPBUTTON = 23;
constexpr Integer SM_CXMIN = 28;
constexpr Integer SM_CYMIN = 29;
constexpr Integer SM_CXSIZE = 30;
constexpr Integer SM_CYSIZE = 31;
constexpr Integer SM_CXFRAME = 32;
constexpr Integer SM_CYFRAME = 33;
constexpr Integer SM_CXSIZEFRAME = SM_CXFRAME;
constexpr Integer SM_CYSIZEFRAME = SM_CYFRAME;
constexpr Integer SM_CXMINTRACK = 34;
constexpr Integer SM_CYMINTRACK = 35;
constexpr Integer SM_CXDOUBLECLK = 36;
constexpr Integer SM_CYDOUBLECLK = 37;
constexpr Integer SM_CXICONSPACING = 38;
constexpr Integer SM_CYICONSPACING = 39;
constexpr Integer SM_MENUDROPALIGNMENT = 40;
constexpr Integer SM_CXEDGE = 45;
constexpr Integer SM_CYEDGE = 46;
constexpr Integer SM_CXSMICON = 49;
constexpr Integer SM_CYSMICON = 50;
constexpr Integer SM_CYSMCAPTION = 51;
constexpr Integer SM_CXSMSIZE = 52;
constexpr Integer SM_CYSMSIZE = 53;
constexpr Integer SM_CXMENUSIZE = 54;
constexpr Integer SM_CYMENUSIZE = 55;
constexpr Integer SM_CXMAXIMIZED = 61;
constexpr Integer SM_CYMAXIMIZED = 62;
constexpr Integer SM_CXDRAG = 68;
constexpr Integer SM_CYDRAG = 69;
constexpr Integer SM_CXMENUCHECK = 71;
constexpr Integer SM_CYMENUCHECK = 72;
constexpr Integer SM_XVIRTUALSCREEN = 76;
constexpr Integer SM_YVIRTUALSCREEN = 77;
constexpr Integer SM_CXVIRTUALSCREEN = 78;
constexpr Integer SM_CYVIRTUALSCREEN = 79;
constexpr Integer SM_CMONITORS = 80;

// The metric, or 0 for one this system does not know.
Integer GetSystemMetrics(Integer Index);
// The double-click time in milliseconds (500) and the caret blink time (530).
uint32_t GetDoubleClickTime();
bool SetDoubleClickTime(uint32_t Milliseconds);
uint32_t GetCaretBlinkTime();
