#pragma once
// The metafile player: plays the records of a Windows metafile (with or without the placeable
// header) or an enhanced metafile onto a device context, scaled into a rectangle. The drawing
// goes through the calls of windows_gdi.h; the player keeps the metafile's own coordinate spaces
// (mapping modes, window and viewport, world transform), its object table, saved states and path.
//
// Every file is untrusted: records are read only inside the file and inside their own size,
// counts are checked against the record, object indexes against the table. A record too short
// for its header or running past the file ends the play; records of a kind the player does not
// draw (EMF+ comments, text by glyph index, printer escapes) are skipped.

#include <cstddef>
#include <cstdint>

#include "framework/types.h"
#include "framework/windows_gdi.h"

enum class TMetafileKind : uint8_t { None, Windows, Placeable, Enhanced };

// What the first bytes hold: a placeable or plain Windows metafile, an enhanced metafile, or none.
TMetafileKind MetafileKindOf(const uint8_t* Data, size_t Size);

// The picture's rectangle in its own units: the bounding box of a placeable metafile, the window
// (origin and extent) a plain Windows metafile sets first, the frame of an enhanced metafile (in
// hundredths of a millimetre). False when the file gives none.
bool MetafileBounds(const uint8_t* Data, size_t Size, TRect& Bounds);

// Plays the metafile into Rect (logical coordinates of Dc). The device context's own state is as
// before afterwards. False when the header is not valid; a damaged record ends the play early.
bool PlayMetafileBytes(HDC Dc, const TRect& Rect, const uint8_t* Data, size_t Size);

// Limits that hold for every file.
constexpr int MetafileMaxSavedStates = 1024;
constexpr size_t MetafileMaxPathPoints = size_t(1) << 20;
constexpr int64_t MetafileMaxBitmapPixels = int64_t(1) << 24;
