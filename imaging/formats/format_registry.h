#pragma once
// The process-wide registry of image file formats: one entry per file type code with the format's
// display name, its extensions and optional reader, writer and content detector. The file dialogs
// build their filters from it; the I/O component looks codes and extensions up in it and uses the
// reader, writer or detector of an entry for formats it has no built-in codec for. The eleven
// built-in entries have none of the three.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// Reads the image at the stream's position into Bitmap; with ParamsOnly only Params are filled.
// Failure is reported through the progress record's aborting flag.
using TImgFormatReader = std::function<void(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params,
                                            TProgressRec& Progress, bool ParamsOnly)>;
// Writes Bitmap at the stream's position.
using TImgFormatWriter = std::function<void(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params,
                                            TProgressRec& Progress)>;
// True when the stream, at its position, holds an image of the format.
using TImgFormatDetector = std::function<bool(TStream* Stream)>;

struct TImgFileFormatInfo {
    Integer FileType = ioUnknown;
    std::string Name;        // at most 80 characters, "TIFF Bitmap"
    std::string Extensions;  // at most 80 characters, without points, separated by ";"
    TImgFormatReader Reader;
    TImgFormatWriter Writer;
    TImgFormatDetector Detector;
};

using TImgFileFormatList = std::vector<std::unique_ptr<TImgFileFormatInfo>>;

// The registry's entries in list order. The registry starts with the built-in entries.
TImgFileFormatList& ImgFileFormats();
// Appends the eleven built-in entries in code order (names and extensions cut to 80 characters).
void RegisterBuiltinFormats();
// Frees every entry.
void FreeFormatRegistry();

// The first entry with the code; null when there is none.
TImgFileFormatInfo* FindFormatByType(Integer Code);
// The first entry one of whose extensions equals Ext (given without its point), compared
// lower-cased; null when there is none.
TImgFileFormatInfo* FindFormatByExt(const std::string& Ext);
// The N-th extension (from 0) of the entry with the code; empty when there is no entry or the
// list runs out.
std::string GetFormatExt(Integer Code, Integer N);
// The number of extensions of the entry with the code.
Integer GetFormatExtCount(Integer Code);
