#include "imaging/formats/io_params.h"

#include "framework/date_time.h"
#include "framework/graphics.h"
#include "framework/sysutils.h"
#include "imaging/formats/format_registry.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_view.h"

namespace {

Integer gDpiOverride = 0;

}  // namespace

Integer ImgDefaultDpiX() { return gDpiOverride > 0 ? gDpiOverride : ScreenPixelsPerInch(); }

Integer ImgDefaultDpiY() { return gDpiOverride > 0 ? gDpiOverride : ScreenPixelsPerInch(); }

void SetImgDefaultDpiOverride(Integer Dpi) { gDpiOverride = Dpi; }

// ---- TIOParamsVals ---------------------------------------------------------------------------

TIOParamsVals::TIOParamsVals(TImagoIO* Owner) : FOwner(Owner) { SetDefaults(); }

void TIOParamsVals::SetDefaults() {
    const Integer width = Width, height = Height, dpiX = DpiX, dpiY = DpiY;
    static_cast<TIOParamsFields&>(*this) = TIOParamsFields();
    Width = width;
    Height = height;
    DpiX = dpiX;
    DpiY = dpiY;
    if (FOwner) {
        if (TBitmap* target = FOwner->GetAttachedBitmap()) {
            Width = target->GetWidth();
            Height = target->GetHeight();
        }
        if (TImgView* view = FOwner->GetAttachedImago()) {
            DpiX = view->GetDpiX();
            DpiY = view->GetDpiY();
        }
    }
    TIFFLZWDecompress = DefTIFFLZWDecompress;
    TIFFLZWCompress = DefTIFFLZWCompress;
    GIFLZWDecompress = DefGIFLZWDecompress;
    GIFLZWCompress = DefGIFLZWCompress;
    TGADate = Date();
}

void TIOParamsVals::Assign(const TIOParamsVals* Source) {
    if (!Source || Source == this) return;
    static_cast<TIOParamsFields&>(*this) = static_cast<const TIOParamsFields&>(*Source);
}

// ---- DescribeImageParams ---------------------------------------------------------------------

std::string DescribeImageParams(const TIOParamsVals* Params) {
    if (!Params) return "";
    std::string s;
    if (const TImgFileFormatInfo* info = FindFormatByType(Params->FileType))
        s = info->Name + " (" + UpperCase(GetFormatExt(info->FileType, 0)) + ")";
    switch (Params->FileType) {
    case ioTIFF: {
        static const char* const kCompression[] = {" Uncompressed", " Huffman",  " Group 3 Fax",
                                                   " Group 3 Fax 2D", " Group 4 Fax", " LZW",
                                                   " Jpeg v.5",   " Jpeg",     " PackBits RLE"};
        if (Params->TIFFCompression <= ioTIFF_PACKBITS) s += kCompression[Params->TIFFCompression];
        break;
    }
    case ioGIF:
        if (Params->GIFInterlaced) s += " Interlaced";
        break;
    case ioJPEG: {
        static const char* const kSpace[] = {"", " Gray level", " YCbCr", " CMYK", " YCbCrK"};
        if (Params->JPEGColorSpace <= ioJPEG_YCbCrK) s += kSpace[Params->JPEGColorSpace];
        break;
    }
    case ioPCX:
        if (Params->PCXCompression == 0) s += " Uncompressed";
        break;
    case ioBMP: {
        static const char* const kVersion[] = {" ver.1", " ver.3", " OS/2 v.1", " OS/2 v.2"};
        if (Params->BMPVersion <= ioBMP_BMOS2V2) s += kVersion[Params->BMPVersion];
        break;
    }
    case ioPNG:
        if (Params->PNGInterlaced) s += " Interlaced";
        break;
    case ioTGA:
        s += Params->TGACompressed ? " Compressed" : " Uncompressed";
        break;
    default:
        break;
    }
    return s;
}

// ---- TImgTWainParams -------------------------------------------------------------------------

TImgTWainParams::TImgTWainParams(TObject* Owner) : FOwner(Owner) { Reset(); }

TImgTWainParams::~TImgTWainParams() { Reset(); }

void TImgTWainParams::Reset() {
    VisibleDialog = true;
    Records.clear();
    AcquireMode = 0;
    BufferedTransfer = false;
    CompressedTransfer = false;
    XResolution.Clear();
    YResolution.Clear();
    Contrast.Clear();
    Brightness.Clear();
    PixelType.Clear();
    Gamma = 2.2;
    FrameLeft = FrameTop = FrameRight = FrameBottom = 0;
    FrameSet = false;
    BitDepth.Clear();
    ShowProgress = true;
    for (Byte& b : Reserved) b = 0;
    AutoFeed = true;
    Manufacturer.clear();
    ProductFamily.clear();
    ProductName.clear();
    Version.clear();
}
