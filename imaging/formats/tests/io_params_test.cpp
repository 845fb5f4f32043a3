#include <gtest/gtest.h>

#include <string>

#include "framework/date_time.h"
#include "imaging/formats/format_registry.h"
#include "imaging/formats/imago_io.h"
#include "imaging/formats/io_params.h"
#include "imaging/formats/lzw_hooks.h"
#include "imaging/tests/image_fixture.h"

namespace {

void NoGIFDecoder(TStream*, Integer, Integer, bool, Byte*) {}
Byte* NoTIFFDecoder(const Byte*, Integer, void*&, Integer) { return nullptr; }

}  // namespace

TEST(FormatRegistry, ExtensionsByCode) {
    EXPECT_EQ(GetFormatExtCount(ioTIFF), 2);
    EXPECT_EQ(GetFormatExtCount(ioTGA), 6);
    EXPECT_EQ(GetFormatExtCount(ioUnknown), 0);
    EXPECT_EQ(GetFormatExt(ioTIFF, 0), "TIF");
    EXPECT_EQ(GetFormatExt(ioTIFF, 1), "TIFF");
    EXPECT_EQ(GetFormatExt(ioTIFF, 2), "");
    EXPECT_EQ(GetFormatExt(ioTGA, 5), "PIX");
    EXPECT_EQ(GetFormatExt(99, 0), "");
    ASSERT_NE(FindFormatByType(ioEMF), nullptr);
    EXPECT_EQ(FindFormatByType(ioEMF)->Name, "Enhanced Windows Metafile");
    EXPECT_EQ(FindFormatByType(99), nullptr);
    // The built-in entries come in code order and carry no codec.
    Integer code = 0;
    for (auto& info : ImgFileFormats()) {
        EXPECT_EQ(info->FileType, ++code);
        EXPECT_FALSE(info->Reader || info->Writer || info->Detector);
    }
    EXPECT_EQ(code, 11);
}

TEST(FormatRegistry, FindByExtension) {
    const struct {
        const char* ext;
        Integer code;  // 0: no entry
    } cases[] = {
        {"Tiff", ioTIFF}, {"tif", ioTIFF}, {".tif", 0},   {"JPE", ioJPEG}, {"rle", ioBMP},
        {"pix", ioTGA},   {"win", 0},      {"emf", ioEMF}, {"", 0},        {"tiff;", 0},
    };
    for (const auto& c : cases) {
        const TImgFileFormatInfo* info = FindFormatByExt(c.ext);
        EXPECT_EQ(info ? info->FileType : 0, c.code) << c.ext;
    }
}

TEST(IOParams, DescribeImageParams) {
    TIOParamsVals p;
    const struct {
        Integer type;
        std::function<void(TIOParamsVals&)> set;
        const char* expected;
    } cases[] = {
        {ioTIFF, [](TIOParamsVals& v) { v.TIFFCompression = ioTIFF_LZW; }, "TIFF Bitmap (TIF) LZW"},
        {ioTIFF, [](TIOParamsVals& v) { v.TIFFCompression = ioTIFF_PACKBITS; },
         "TIFF Bitmap (TIF) PackBits RLE"},
        {ioJPEG, [](TIOParamsVals& v) { v.JPEGColorSpace = ioJPEG_CMYK; }, "JPEG Bitmap (JPG) CMYK"},
        {ioJPEG, [](TIOParamsVals& v) { v.JPEGColorSpace = ioJPEG_RGB; }, "JPEG Bitmap (JPG)"},
        {ioGIF, [](TIOParamsVals& v) { v.GIFInterlaced = true; }, "CompuServe Bitmap (GIF) Interlaced"},
        {ioGIF, [](TIOParamsVals&) {}, "CompuServe Bitmap (GIF)"},
        {ioPCX, [](TIOParamsVals& v) { v.PCXCompression = 0; }, "PaintBrush (PCX) Uncompressed"},
        {ioBMP, [](TIOParamsVals& v) { v.BMPVersion = ioBMP_BMOS2V2; }, "Windows Bitmap (BMP) OS/2 v.2"},
        {ioPNG, [](TIOParamsVals& v) { v.PNGInterlaced = true; },
         "Portable Network Graphics (PNG) Interlaced"},
        {ioTGA, [](TIOParamsVals&) {}, "Targa Bitmap (TGA) Compressed"},
        {ioTGA, [](TIOParamsVals& v) { v.TGACompressed = false; }, "Targa Bitmap (TGA) Uncompressed"},
        {ioWMF, [](TIOParamsVals&) {}, "Windows Metafile (WMF)"},
        {ioUnknown, [](TIOParamsVals&) {}, ""},
    };
    for (const auto& c : cases) {
        p.SetDefaults();
        p.FileType = c.type;
        c.set(p);
        EXPECT_EQ(DescribeImageParams(&p), c.expected);
    }
    // Without a registry entry only the option words are left.
    FreeFormatRegistry();
    p.SetDefaults();
    p.FileType = ioTGA;
    EXPECT_EQ(DescribeImageParams(&p), " Compressed");
    RegisterBuiltinFormats();
}

TEST(IOParams, SetDefaultsWithoutOwner) {
    TIOParamsVals p;
    p.Width = 640;
    p.Height = 480;
    p.DpiX = 300;
    p.DpiY = 150;
    p.CURXHotSpot = 5;
    p.CURYHotSpot = 7;
    p.FileName = "a.png";
    p.FileType = ioPNG;
    p.BitsPerSample = 1;
    p.SamplesPerPixel = 1;
    p.JPEGQuality = 90;
    p.TGAGamma = 1.0;
    p.Palette.assign(16, ImgRGB(1, 2, 3));
    DefGIFLZWDecompress = &NoGIFDecoder;
    DefTIFFLZWDecompress = &NoTIFFDecoder;
    p.SetDefaults();
    DefGIFLZWDecompress = nullptr;
    DefTIFFLZWDecompress = nullptr;

    EXPECT_EQ(p.Width, 640);
    EXPECT_EQ(p.Height, 480);
    EXPECT_EQ(p.DpiX, 300);
    EXPECT_EQ(p.DpiY, 150);
    EXPECT_EQ(p.CURXHotSpot, 0);
    EXPECT_EQ(p.CURYHotSpot, 0);
    EXPECT_EQ(p.FileName, "");
    EXPECT_EQ(p.FileType, ioUnknown);
    EXPECT_EQ(p.BitsPerSample, 8);
    EXPECT_EQ(p.SamplesPerPixel, 3);
    EXPECT_EQ(p.JPEGQuality, 50);
    EXPECT_EQ(p.TGAGamma, 2.2);
    EXPECT_EQ(p.GetPaletteCount(), 0);
    EXPECT_EQ(p.GIFLZWDecompress, &NoGIFDecoder);
    EXPECT_EQ(p.TIFFLZWDecompress, &NoTIFFDecoder);
    EXPECT_EQ(p.GIFLZWCompress, nullptr);
    EXPECT_EQ(p.GIFVersion, "GIF89a");
    EXPECT_EQ(p.JPEGScale, 1);
    EXPECT_EQ(p.ICOBackground, ImgRGB(255, 255, 255));
    EXPECT_NEAR(p.TGADate, Date(), 1.0);
    EXPECT_EQ(p.TGADate, double(Int64(p.TGADate)));
}

TEST(IOParams, SetDefaultsTakeTheOwnersTargetSize) {
    TImagoIO* io = new TImagoIO(nullptr);
    Bmp target = Make24(33, 17, [](Integer, Integer) { return TImgRGB{}; });
    io->SetAttachedBitmap(target.get());
    io->GetParams()->DpiX = 120;
    io->GetParams()->SetDefaults();
    EXPECT_EQ(io->GetParams()->Width, 33);
    EXPECT_EQ(io->GetParams()->Height, 17);
    EXPECT_EQ(io->GetParams()->DpiX, 120);  // no view: kept
    EXPECT_EQ(io->GetParams()->GetOwner(), io);
    io->Free();
}

TEST(IOParams, AssignCopiesEverythingButTheOwner) {
    TImagoIO* io = new TImagoIO(nullptr);
    TIOParamsVals src;
    src.FileName = "x.tif";
    src.FileType = ioTIFF;
    src.Width = 9;
    src.DpiY = 200;
    src.TIFFDocumentName = "doc";
    src.TGADate = 1234.0;
    src.GIFLZWDecompress = &NoGIFDecoder;
    src.Palette = {ImgRGB(1, 2, 3), ImgRGB(4, 5, 6)};

    TIOParamsVals* dst = io->GetParams();
    dst->Palette.assign(200, TImgRGB{});
    io->AssignParams(&src);
    EXPECT_EQ(dst->GetOwner(), io);
    EXPECT_EQ(dst->FileName, "x.tif");
    EXPECT_EQ(dst->FileType, ioTIFF);
    EXPECT_EQ(dst->Width, 9);
    EXPECT_EQ(dst->DpiY, 200);
    EXPECT_EQ(dst->TIFFDocumentName, "doc");
    EXPECT_EQ(dst->TGADate, 1234.0);
    EXPECT_EQ(dst->GIFLZWDecompress, &NoGIFDecoder);
    ASSERT_EQ(dst->GetPaletteCount(), 2);
    src.Palette[0] = ImgRGB(9, 9, 9);
    EXPECT_EQ(dst->Palette[0], ImgRGB(1, 2, 3));  // a copy of its own

    // From another component; anything else is ignored.
    TImagoIO* other = new TImagoIO(nullptr);
    other->GetParams()->JPEGQuality = 77;
    io->AssignParams(other);
    EXPECT_EQ(dst->JPEGQuality, 77);
    TBitmap notParams;
    io->AssignParams(&notParams);
    EXPECT_EQ(dst->JPEGQuality, 77);
    other->Free();
    io->Free();
}
