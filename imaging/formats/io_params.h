#pragma once
// The parameters of an image on its way into or out of a file: size, resolution, sample layout,
// palette, file name and type, the options of every format, and the LZW coders the GIF and TIFF
// codecs are to use. A reader fills them from the file; a writer takes its choices from them.
// Fields a reader does not touch keep their values, so an option chosen before a save survives a
// later load of another format.

#include <string>
#include <vector>

#include "framework/object.h"
#include "imaging/formats/lzw_hooks.h"
#include "imaging/img_lists.h"
#include "imaging/img_types.h"

class TImagoIO;

// File type codes.
constexpr Integer ioUnknown = 0;
constexpr Integer ioTIFF = 1;
constexpr Integer ioGIF = 2;
constexpr Integer ioJPEG = 3;
constexpr Integer ioPCX = 4;
constexpr Integer ioBMP = 5;
constexpr Integer ioICO = 6;
constexpr Integer ioCUR = 7;
constexpr Integer ioPNG = 8;
constexpr Integer ioWMF = 9;
constexpr Integer ioEMF = 10;
constexpr Integer ioTGA = 11;

// TIFFCompression codes.
enum : Byte {
    ioTIFF_UNCOMPRESSED,
    ioTIFF_CCITT1D,
    ioTIFF_G3FAX1D,
    ioTIFF_G3FAX2D,
    ioTIFF_G4FAX,
    ioTIFF_LZW,
    ioTIFF_OLDJPEG,
    ioTIFF_JPEG,
    ioTIFF_PACKBITS
};
// TIFFPhotometInterpret codes.
enum : Byte {
    ioTIFF_WHITEISZERO,
    ioTIFF_BLACKISZERO,
    ioTIFF_RGB,
    ioTIFF_RGBPALETTE,
    ioTIFF_TRANSPMASK,
    ioTIFF_CMYK,
    ioTIFF_YCBCR,
    ioTIFF_CIELAB
};
// JPEGColorSpace codes.
enum : Byte { ioJPEG_RGB, ioJPEG_GRAYLEV, ioJPEG_YCbCr, ioJPEG_CMYK, ioJPEG_YCbCrK };
// JPEGDCTMethod codes.
enum : Byte { ioJPEG_ISLOW, ioJPEG_IFAST, ioJPEG_FLOAT };
// BMPVersion codes.
enum : Byte { ioBMP_BM, ioBMP_BM3, ioBMP_BMOS2V1, ioBMP_BMOS2V2 };
// PNGFilter codes.
enum : Byte { ioPNG_FILTER_NONE, ioPNG_FILTER_SUB, ioPNG_FILTER_PAETH };

// The library's default resolution: the screen's logical pixels per inch, used for images whose
// file states none.
Integer ImgDefaultDpiX();
Integer ImgDefaultDpiY();
// Test seam: makes the default resolution Dpi in both directions; 0 or less goes back to the
// screen's.
void SetImgDefaultDpiOverride(Integer Dpi);

// The values of a parameter object, with their defaults.
struct TIOParamsFields {
    // The palette read or to write (blue, green, red entries); empty means none.
    std::vector<TImgRGB> Palette;
    Integer GetPaletteCount() const { return Integer(Palette.size()); }
    void FreePalette() { Palette.clear(); }

    Integer BitsPerSample = 8;
    Integer SamplesPerPixel = 3;
    Integer Width = 0;
    Integer Height = 0;
    Integer DpiX = 0;
    Integer DpiY = 0;
    Integer FileType = ioUnknown;

    Byte TIFFCompression = ioTIFF_UNCOMPRESSED;
    Integer TIFFImageIndex = 0;
    Byte TIFFPhotometInterpret = ioTIFF_RGB;
    Integer TIFFPlanarConf = 1;
    Integer TIFFXPos = 0;
    Integer TIFFYPos = 0;
    std::string TIFFDocumentName;
    std::string TIFFImageDescription;
    std::string TIFFPageName;
    Integer TIFFPageNumber = 0;
    Integer TIFFTotalPages = 0;
    TTIFFLZWDecompress TIFFLZWDecompress = nullptr;
    TTIFFLZWCompress TIFFLZWCompress = nullptr;

    std::string GIFVersion = "GIF89a";
    Integer GIFImageIndex = 0;
    Integer GIFXPos = 0;
    Integer GIFYPos = 0;
    Integer GIFDelayTime = 0;  // hundredths of a second
    bool GIFTransparent = false;
    TImgRGB GIFTranspColor{};
    bool GIFInterlaced = false;
    Integer GIFWinWidth = 0;
    Integer GIFWinHeight = 0;
    TImgRGB GIFBackground{};
    Integer GIFRatio = 0;
    TGIFLZWDecompress GIFLZWDecompress = nullptr;
    TGIFLZWCompress GIFLZWCompress = nullptr;

    Byte JPEGColorSpace = ioJPEG_YCbCr;
    Integer JPEGQuality = 50;
    Byte JPEGDCTMethod = ioJPEG_ISLOW;
    bool JPEGOptimalHuffman = false;
    Integer JPEGSmooth = 0;
    bool JPEGProgressive = false;
    // 0 automatic (nearest to Width x Height), 1 full, 2 half, 3 quarter, 4 eighth.
    Byte JPEGScale = 1;

    Integer PCXVersion = 5;
    Byte PCXCompression = 1;  // 0 uncompressed, 1 run-length

    Byte BMPVersion = ioBMP_BM3;
    Byte BMPCompression = 0;  // 0 uncompressed, 1 run-length

    Integer ICOImageIndex = 0;
    TImgRGB ICOBackground{255, 255, 255};
    Integer CURImageIndex = 0;
    Integer CURXHotSpot = 0;
    Integer CURYHotSpot = 0;
    TImgRGB CURBackground{255, 255, 255};

    bool PNGInterlaced = false;
    TImgRGB PNGBackground{};
    Byte PNGFilter = ioPNG_FILTER_NONE;
    Integer PNGCompression = 5;
    // Reading, when both are set: shrink the picture as its rows arrive, by the largest whole
    // factor that keeps it at least twice the size it takes fitted into this box (each pixel the
    // average of its block, 24-bit). Interlaced files and pictures too small to halve are read
    // whole.
    Integer PNGReduceWidth = 0;
    Integer PNGReduceHeight = 0;

    Integer TGAXPos = 0;
    Integer TGAYPos = 0;
    bool TGACompressed = true;
    std::string TGADescriptor;
    std::string TGAAuthor;
    TDateTime TGADate = 0;
    std::string TGAImageName;
    TImgRGB TGABackground{};
    double TGAAspectRatio = 1.0;
    double TGAGamma = 2.2;
    bool TGAGrayLevel = false;

    std::string FileName;  // the file last read; empty after reading a stream
};

class TIOParamsVals : public TObject, public TIOParamsFields {
    LUMORA_CLASS(TIOParamsVals, TObject)
public:
    // Owner (an I/O component or null) gives SetDefaults the target's size and the view's
    // resolution.
    explicit TIOParamsVals(TImagoIO* Owner = nullptr);

    // Frees the palette, empties FileName, FileType 0, BitsPerSample 8, SamplesPerPixel 3; the
    // owner's target size and its view's resolution when there are such (else Width, Height,
    // DpiX and DpiY stay); every format option its default; the LZW coders copied from the
    // process-wide hooks; TGADate today.
    void SetDefaults();
    // Copies every field of Source except the owner, the palette as a fresh copy.
    void Assign(const TIOParamsVals* Source);

    TImagoIO* GetOwner() const { return FOwner; }

private:
    TImagoIO* FOwner;
};

// A text describing the image for lists and dialogs: the format's registered name and first
// extension, then the options that tell the file apart ("TIFF Bitmap (TIF) LZW").
std::string DescribeImageParams(const TIOParamsVals* Params);

// Scanner settings held for an I/O component. The acquisition code creates, resets and frees them
// and reads none of them.
class TImgTWainParams : public TObject {
    LUMORA_CLASS(TImgTWainParams, TObject)
public:
    explicit TImgTWainParams(TObject* Owner = nullptr);
    ~TImgTWainParams() override;
    TImgTWainParams(const TImgTWainParams&) = delete;
    TImgTWainParams& operator=(const TImgTWainParams&) = delete;

    void Reset();
    TObject* GetOwner() const { return FOwner; }

    bool VisibleDialog = true;
    std::vector<std::vector<Byte>> Records;  // allocated capability records
    Integer AcquireMode = 0;
    bool BufferedTransfer = false;
    bool CompressedTransfer = false;
    TImgDoubleList XResolution;
    TImgDoubleList YResolution;
    TImgDoubleList Contrast;
    TImgDoubleList Brightness;
    TImgIntegerList PixelType;
    double Gamma = 2.2;
    Integer FrameLeft = 0;
    Integer FrameTop = 0;
    Integer FrameRight = 0;
    Integer FrameBottom = 0;
    bool FrameSet = false;
    TImgIntegerList BitDepth;
    bool ShowProgress = true;
    Byte Reserved[16] = {};
    bool AutoFeed = true;
    std::string Manufacturer;
    std::string ProductFamily;
    std::string ProductName;
    std::string Version;

private:
    TObject* FOwner;
};
