#pragma once
// The built-in codecs as the I/O components reach them: one entry per codec operation, filled with
// the library's own codecs. Putting another function into an entry makes every I/O component use
// it (a program can wrap a codec, and tests watch what a codec is handed).

#include "imaging/formats/bmp_codec.h"
#include "imaging/formats/gif_codec.h"
#include "imaging/formats/ico_codec.h"
#include "imaging/formats/jpeg_codec.h"
#include "imaging/formats/pcx_codec.h"
#include "imaging/formats/png_codec.h"
#include "imaging/formats/tga_codec.h"
#include "imaging/formats/tiff_codec.h"

struct TImgCodecTable {
    decltype(&::GIFDecodeStream) GIFDecodeStream = &::GIFDecodeStream;
    decltype(&::GIFDecodeFile) GIFDecodeFile = &::GIFDecodeFile;
    decltype(&::GIFEncodeStream) GIFEncodeStream = &::GIFEncodeStream;
    decltype(&::GIFEncodeFile) GIFEncodeFile = &::GIFEncodeFile;
    decltype(&::GIFInsertFrame) GIFInsertFrame = &::GIFInsertFrame;
    decltype(&::GIFDeleteFrame) GIFDeleteFrame = &::GIFDeleteFrame;
    decltype(&::TIFFDecodeStream) TIFFDecodeStream = &::TIFFDecodeStream;
    decltype(&::TIFFCountPages) TIFFCountPages = &::TIFFCountPages;
    decltype(&::TIFFPageLayout) TIFFPageLayout = &::TIFFPageLayout;
    decltype(&::TIFFDecodePage) TIFFDecodePage = &::TIFFDecodePage;
    decltype(&::TIFFEncodeStream) TIFFEncodeStream = &::TIFFEncodeStream;
    decltype(&::IsJPEGStream) IsJPEGStream = &::IsJPEGStream;
    decltype(&::JPEGDecodeStream) JPEGDecodeStream = &::JPEGDecodeStream;
    decltype(&::JPEGEncodeStream) JPEGEncodeStream = &::JPEGEncodeStream;
    decltype(&::IsPNGStream) IsPNGStream = &::IsPNGStream;
    decltype(&::PNGDecodeStream) PNGDecodeStream = &::PNGDecodeStream;
    decltype(&::PNGEncodeStream) PNGEncodeStream = &::PNGEncodeStream;
    decltype(&::BMPDecodeStream) BMPDecodeStream = &::BMPDecodeStream;
    decltype(&::BMPEncodeStream) BMPEncodeStream = &::BMPEncodeStream;
    decltype(&::IsICOStream) IsICOStream = &::IsICOStream;
    decltype(&::ICODecodeStream) ICODecodeStream = &::ICODecodeStream;
    decltype(&::IsCURStream) IsCURStream = &::IsCURStream;
    decltype(&::CURDecodeStream) CURDecodeStream = &::CURDecodeStream;
    decltype(&::PCXDecodeStream) PCXDecodeStream = &::PCXDecodeStream;
    decltype(&::PCXDecodeFile) PCXDecodeFile = &::PCXDecodeFile;
    decltype(&::PCXEncodeStream) PCXEncodeStream = &::PCXEncodeStream;
    decltype(&::IsTGAStream) IsTGAStream = &::IsTGAStream;
    decltype(&::TGADecodeStream) TGADecodeStream = &::TGADecodeStream;
    decltype(&::TGAEncodeStream) TGAEncodeStream = &::TGAEncodeStream;
};

// The process-wide table.
TImgCodecTable& ImgCodecs();
