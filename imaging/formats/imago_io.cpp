#include "imaging/formats/imago_io.h"

#include <cstring>
#include <vector>

#include "framework/atomic_file.h"
#include "framework/exceptions.h"
#include "framework/file_utils.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/formats/codec_table.h"
#include "imaging/formats/format_registry.h"
#include "imaging/img_view.h"

namespace {

constexpr Int64 kHeaderSize = 12;
constexpr Integer kMetafileMaxSide = 2800;

// The tag of a stream header: the text of bytes 0-4 up to the first zero byte, so a four-letter
// tag needs byte 4 to be zero.
std::string HeaderTag(const Byte* Header) {
    size_t n = 0;
    while (n < 5 && Header[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(Header), n);
}

Cardinal LoadLE32(const Byte* p) {
    return Cardinal(p[0]) | (Cardinal(p[1]) << 8) | (Cardinal(p[2]) << 16) | (Cardinal(p[3]) << 24);
}

// The extension of the file name's last part, lower-cased, with its point.
std::string LowerExt(const std::string& FileName) { return LowerCase(ExtractFileExt(FileName)); }

// The same without the point, for the format registry.
std::string RegistryExt(const std::string& FileName) {
    std::string ext = LowerExt(FileName);
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    return ext;
}

// The bytes from the stream's position to its end.
Int64 BytesLeft(TStream* Stream) {
    const Int64 left = Stream->GetSize() - Stream->GetPosition();
    return left > 0 ? left : 0;
}

bool IsOneOf(const std::string& s, std::initializer_list<const char*> list) {
    for (const char* item : list)
        if (s == item) return true;
    return false;
}

}  // namespace

// ---- life --------------------------------------------------------------------------------------

TImagoIO::TImagoIO(TComponent* AOwner) : TComponent(AOwner) {
    FParams = new TIOParamsVals(this);
    FTWainParams = new TImgTWainParams(this);
    FPreviewFont = new TFont();
}

TImagoIO::~TImagoIO() {
    DetachViewListener();
    delete FParams;
    delete FTWainParams;
    FreeAndNil(FPreviewFont);
}

// ---- attachment --------------------------------------------------------------------------------

void TImagoIO::DetachViewListener() {
    if (FAttachedImago) FAttachedImago->RemoveBitmapChangeListener(this);
}

void TImagoIO::ForgetView() {
    if (!FAttachedImago) return;
    FAttachedImago->RemoveBitmapChangeListener(this);
    RemoveFreeNotification(FAttachedImago);
    FAttachedImago = nullptr;
}

void TImagoIO::ForgetTImage() {
    if (!FAttachedTImage) return;
    RemoveFreeNotification(FAttachedTImage);
    FAttachedTImage = nullptr;
}

void TImagoIO::SetAttachedImago(TImgView* View) {
    const bool had = FAttachedImago != nullptr;
    ForgetView();
    FAttachedImago = View;
    if (View) {
        FTarget = View->GetBitmap();
        FreeNotification(View);
        ForgetTImage();
        View->AddBitmapChangeListener(this, [this](TObject*) { ViewBitmapChanged(); });
    } else if (had) {
        // The old view's bitmap is not ours to use any more.
        FTarget = nullptr;
    }
}

void TImagoIO::SetAttachedTImage(TImage* Image) {
    DetachViewListener();
    const bool had = FAttachedTImage != nullptr;
    ForgetTImage();
    FAttachedTImage = Image;
    if (Image) {
        FTarget = Image->GetPicture()->GetBitmap();
        FreeNotification(Image);
        ForgetView();
    } else if (had) {
        FTarget = nullptr;
    }
}

void TImagoIO::SetAttachedBitmap(TBitmap* Bitmap) {
    DetachViewListener();
    if (!Bitmap && (FAttachedImago || FAttachedTImage)) return;
    FTarget = Bitmap;
    if (Bitmap) {
        ForgetView();
        ForgetTImage();
    }
}

TBitmap* TImagoIO::GetAttachedBitmap() {
    RefreshTarget();
    return FTarget;
}

// The picture of an image control may be given another graphic at any time: its bitmap is read
// again before each use.
void TImagoIO::RefreshTarget() {
    if (FAttachedTImage) FTarget = FAttachedTImage->GetPicture()->GetBitmap();
}

void TImagoIO::ViewBitmapChanged() {
    if (FAttachedImago) FTarget = FAttachedImago->GetBitmap();
}

void TImagoIO::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    if (AComponent == FAttachedImago) {
        FAttachedImago->RemoveBitmapChangeListener(this);
        FAttachedImago = nullptr;
        FTarget = nullptr;
    } else if (AComponent == FAttachedTImage) {
        FAttachedTImage = nullptr;
        FTarget = nullptr;
    }
}

TColor TImagoIO::GetBackground() const {
    return FAttachedImago ? FAttachedImago->GetBackground() : FBackground;
}

void TImagoIO::SetBackground(TColor Color) {
    if (FAttachedImago)
        FAttachedImago->SetBackground(Color);
    else
        FBackground = Color;
}

void TImagoIO::SetPreviewFont(TFont* Font) { FPreviewFont->Assign(Font); }

// ---- shared steps ------------------------------------------------------------------------------

TProgressRec TImagoIO::MakeProgress() {
    TProgressRec rec;
    rec.OnProgress = OnProgress;
    rec.Sender = this;
    rec.Aborting = &FAborting;
    return rec;
}

void TImagoIO::ApplyViewDPI() {
    if (FAttachedImago) FAttachedImago->SetDPI(FParams->DpiX, FParams->DpiY);
}

void TImagoIO::MakeTargetSavable() {
    const TPixelFormat f = FTarget->GetPixelFormat();
    if (f != pf24bit && f != pf1bit) FTarget->SetPixelFormat(pf24bit);
}

void TImagoIO::BackgroundFromGIF() {
    SetBackground(ImgRGBToColor(FParams->GIFTransparent ? FParams->GIFTranspColor
                                                        : FParams->GIFBackground));
}

void TImagoIO::UpdateTarget() {
    RefreshTarget();
    if (FAttachedImago) {
        FAttachedImago->Update();
        FAttachedImago->ImageChange();
    } else if (FTarget) {
        FTarget->SetModified(true);
    }
}

void TImagoIO::ClearToBackground() {
    RefreshTarget();
    if (!FTarget) return;
    TCanvas* canvas = FTarget->GetCanvas();
    canvas->GetBrush()->SetColor(GetBackground());
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(Rect(0, 0, FTarget->GetWidth(), FTarget->GetHeight()));
}

void TImagoIO::AssignParams(TObject* Source) {
    if (auto* io = dynamic_cast<TImagoIO*>(Source))
        FParams->Assign(io->GetParams());
    else if (auto* params = dynamic_cast<TIOParamsVals*>(Source))
        FParams->Assign(params);
}

// Reads the 12-byte header; false (the bytes stay read) when its tag is not Tag.
bool TImagoIO::ReadStreamHeader(TStream* Stream, const char* Tag, Int64& Length) {
    Byte header[kHeaderSize] = {};
    Stream->Read(header, kHeaderSize);
    if (HeaderTag(header) != Tag) return false;
    Length = LoadLE32(header + 8);
    return true;
}

// Runs Encode, surrounded by a stream header when StreamHeaders is set: 12 placeholder bytes
// first, then the tag, four zero bytes and the length of what Encode wrote.
template <class Encode>
void TImagoIO::SaveWithHeader(TStream* Stream, const char* Tag, bool KeepPlaceholderOnAbort,
                              Encode&& EncodeImage) {
    if (!FStreamHeaders) {
        EncodeImage();
        return;
    }
    const Int64 start = Stream->GetPosition();
    const Byte zeros[kHeaderSize] = {};
    Stream->WriteBuffer(zeros, kHeaderSize);
    EncodeImage();
    const Int64 end = Stream->GetPosition();
    if (KeepPlaceholderOnAbort && FAborting) return;
    const Cardinal length = Cardinal(end - start - kHeaderSize);
    Byte header[kHeaderSize] = {};
    std::memcpy(header, Tag, 4);
    for (int i = 0; i < 4; ++i) header[8 + i] = Byte(length >> (8 * i));
    Stream->SetPosition(start);
    Stream->WriteBuffer(header, kHeaderSize);
    Stream->SetPosition(end);
}

// ---- loading by name and by content ------------------------------------------------------------

void TImagoIO::LoadFromFile(const std::string& FileName) {
    RefreshTarget();
    if (!FTarget) return;
    const std::string ext = LowerExt(FileName);
    if (IsOneOf(ext, {".jpg", ".jpeg", ".jpe"}))
        LoadFromFileJPEG(FileName);
    else if (ext == ".png")
        LoadFromFilePNG(FileName);
    else if (IsOneOf(ext, {".tif", ".tiff"}))
        LoadFromFileTIFF(FileName);
    else if (ext == ".pcx")
        LoadFromFilePCX(FileName);
    else if (ext == ".gif")
        LoadFromFileGIF(FileName);
    else if (IsOneOf(ext, {".wmf", ".emf"}))
        LoadFromFileMetafile(FileName, -1, -1);
    else if (IsOneOf(ext, {".bmp", ".dib", ".rle"}))
        LoadFromFileBMP(FileName);
    else if (ext == ".cur")
        LoadFromFileCUR(FileName);
    else if (ext == ".ico")
        LoadFromFileICO(FileName);
    else if (IsOneOf(ext, {".tga", ".targa", ".vda", ".icb", ".vst", ".win"}))
        LoadFromFileTGA(FileName);
    else {
        FParams->FileName.clear();
        FParams->FileType = ioUnknown;
        const TImgFileFormatInfo* info = FindFormatByExt(RegistryExt(FileName));
        if (!info || !info->Reader) {
            FAborting = true;
            return;
        }
        LoadFile(FileName, info->FileType, [&](TStream* stream, TProgressRec& progress) {
            info->Reader(stream, FTarget, *FParams, progress, false);
        });
    }
}

void TImagoIO::LoadFromStream(TStream* Stream) {
    const Int64 start = Stream->GetPosition();
    const Integer code = DetectStreamType(Stream);
    Stream->SetPosition(start);
    switch (code) {
    case ioTIFF: LoadFromStreamTIFF(Stream); return;
    case ioGIF: LoadFromStreamGIF(Stream); return;
    case ioJPEG: LoadFromStreamJPEG(Stream); return;
    case ioPCX: LoadFromStreamPCX(Stream); return;
    case ioBMP: LoadFromStreamBMP(Stream); return;
    case ioICO: LoadFromStreamICO(Stream); return;
    case ioCUR: LoadFromStreamCUR(Stream); return;
    case ioPNG: LoadFromStreamPNG(Stream); return;
    case ioTGA: LoadFromStreamTGA(Stream); return;
    default: break;
    }
    FParams->FileName.clear();
    FParams->FileType = ioUnknown;
    const TImgFileFormatInfo* info = FindFormatByType(code);
    if (!info || !info->Reader) {
        FAborting = true;
        return;
    }
    if (!BeginLoad()) return;
    TProgressRec progress = MakeProgress();
    info->Reader(Stream, FTarget, *FParams, progress, false);
    FinishLoad("", info->FileType, true);
}

// ---- per-format loaders ------------------------------------------------------------------------

// Every load clears the flag and does nothing more without a target; afterwards the file name and
// type are recorded, the view takes the resolution where the format asks for it, and the target is
// updated, also when the reader failed.
bool TImagoIO::BeginLoad() {
    FAborting = false;
    RefreshTarget();
    return FTarget != nullptr;
}

void TImagoIO::FinishLoad(const std::string& FileName, Integer FileType, bool ApplyDPI) {
    FParams->FileName = FileName;
    FParams->FileType = FileType;
    if (ApplyDPI) ApplyViewDPI();
    UpdateTarget();
}

// Opens the file for reading, hands it to Decode and closes it, also on an exception.
template <class Decode>
void TImagoIO::LoadFile(const std::string& FileName, Integer FileType, Decode&& DecodeImage) {
    if (!BeginLoad()) return;
    TProgressRec progress = MakeProgress();
    {
        TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
        DecodeImage(&stream, progress);
    }
    FinishLoad(FileName, FileType, true);
}

template <class Decode>
void TImagoIO::LoadStream(Integer FileType, bool ApplyDPI, Decode&& DecodeImage) {
    if (!BeginLoad()) return;
    TProgressRec progress = MakeProgress();
    DecodeImage(progress);
    FinishLoad("", FileType, ApplyDPI);
}

Integer TImagoIO::LoadFromFileGIF(const std::string& FileName) {
    if (!BeginLoad()) return 0;
    TProgressRec progress = MakeProgress();
    Integer frames = 0;
    ImgCodecs().GIFDecodeFile(FileName, FTarget, frames, *FParams, progress);
    BackgroundFromGIF();
    FinishLoad(FileName, ioGIF, true);
    return frames;
}

Integer TImagoIO::LoadFromStreamGIF(TStream* Stream) {
    if (!BeginLoad()) return 0;
    TProgressRec progress = MakeProgress();
    Integer frames = 0;
    ImgCodecs().GIFDecodeStream(Stream, FTarget, frames, *FParams, progress, false);
    BackgroundFromGIF();
    FinishLoad("", ioGIF, false);
    return frames;
}

Integer TImagoIO::LoadFromFileTIFF(const std::string& FileName) {
    Integer pages = 0;
    LoadFile(FileName, ioTIFF, [&](TStream* stream, TProgressRec& progress) {
        ImgCodecs().TIFFDecodeStream(FTarget, stream, pages, FParams, progress, false);
    });
    return pages;
}

Integer TImagoIO::LoadFromStreamTIFF(TStream* Stream) {
    if (!BeginLoad()) return 0;
    Int64 length = 0;
    Int64 dataStart = -1;
    if (FStreamHeaders) {
        if (!ReadStreamHeader(Stream, "TIFF", length)) {
            FAborting = true;
            return 0;
        }
        dataStart = Stream->GetPosition();
    }
    TProgressRec progress = MakeProgress();
    Integer pages = 0;
    ImgCodecs().TIFFDecodeStream(FTarget, Stream, pages, FParams, progress, false);
    if (dataStart >= 0) Stream->SetPosition(dataStart + length);
    FinishLoad("", ioTIFF, true);
    return pages;
}

void TImagoIO::LoadFromFileJPEG(const std::string& FileName) {
    LoadFile(FileName, ioJPEG, [&](TStream* stream, TProgressRec& progress) {
        ImgCodecs().JPEGDecodeStream(stream, FTarget, *FParams, progress, false);
    });
}

void TImagoIO::LoadFromStreamJPEG(TStream* Stream) {
    if (!BeginLoad()) return;
    // A "JFIF" header is taken whatever StreamHeaders says.
    const Int64 start = Stream->GetPosition();
    Int64 length = 0;
    const bool header = ReadStreamHeader(Stream, "JFIF", length);
    if (!header) Stream->SetPosition(start);
    TProgressRec progress = MakeProgress();
    ImgCodecs().JPEGDecodeStream(Stream, FTarget, *FParams, progress, false);
    if (header) Stream->SetPosition(start + kHeaderSize + length);
    FinishLoad("", ioJPEG, true);
}

void TImagoIO::LoadFromFilePCX(const std::string& FileName) {
    if (!BeginLoad()) return;
    TProgressRec progress = MakeProgress();
    FParams->FileName = FileName;
    FParams->FileType = ioPCX;
    ImgCodecs().PCXDecodeFile(FileName, FTarget, *FParams, progress);
    FinishLoad(FileName, ioPCX, true);
}

void TImagoIO::LoadFromStreamPCX(TStream* Stream) {
    if (!BeginLoad()) return;
    const Int64 start = Stream->GetPosition();
    bool tagged = false;
    Int64 length = 0;
    if (FStreamHeaders) {
        Byte header[kHeaderSize] = {};
        Stream->Read(header, kHeaderSize);
        if (std::memcmp(header, "PCX", 3) != 0) {
            FAborting = true;
            return;
        }
        if (HeaderTag(header) == "PCX2") {
            tagged = true;
            length = LoadLE32(header + 8);
        } else {
            // The older form: the data follows "PCX" and a zero byte, with no length given.
            Stream->SetPosition(start + 4);
        }
    }
    // Without a length in a header the image has the bytes that remain in the stream.
    if (!tagged) length = BytesLeft(Stream);
    TProgressRec progress = MakeProgress();
    ImgCodecs().PCXDecodeStream(Stream, FTarget, *FParams, length, progress, false);
    if (tagged) Stream->SetPosition(start + kHeaderSize + length);
    FinishLoad("", ioPCX, true);
}

void TImagoIO::LoadFromFileBMP(const std::string& FileName) {
    LoadFile(FileName, ioBMP, [&](TStream* stream, TProgressRec& progress) {
        ImgCodecs().BMPDecodeStream(stream, FTarget, stream->GetSize(), *FParams, progress, false);
    });
}

void TImagoIO::LoadFromStreamBMP(TStream* Stream) {
    LoadStream(ioBMP, false, [&](TProgressRec& progress) {
        ImgCodecs().BMPDecodeStream(Stream, FTarget, 0, *FParams, progress, false);
    });
}

void TImagoIO::LoadFromFileICO(const std::string& FileName) {
    LoadFile(FileName, ioICO, [&](TStream* stream, TProgressRec& progress) {
        ImgCodecs().ICODecodeStream(stream, FTarget, *FParams, false, progress);
    });
}

void TImagoIO::LoadFromStreamICO(TStream* Stream) {
    LoadStream(ioICO, false, [&](TProgressRec& progress) {
        ImgCodecs().ICODecodeStream(Stream, FTarget, *FParams, false, progress);
    });
}

void TImagoIO::LoadFromFileCUR(const std::string& FileName) {
    LoadFile(FileName, ioCUR, [&](TStream* stream, TProgressRec& progress) {
        ImgCodecs().CURDecodeStream(stream, FTarget, *FParams, false, progress);
    });
}

void TImagoIO::LoadFromStreamCUR(TStream* Stream) {
    LoadStream(ioCUR, false, [&](TProgressRec& progress) {
        ImgCodecs().CURDecodeStream(Stream, FTarget, *FParams, false, progress);
    });
}

void TImagoIO::LoadFromFilePNG(const std::string& FileName) {
    // The reader takes the background as its default and may replace it.
    if (FTarget) FParams->PNGBackground = ColorToImgRGB(GetBackground());
    LoadFile(FileName, ioPNG, [&](TStream* stream, TProgressRec& progress) {
        ImgCodecs().PNGDecodeStream(stream, FTarget, *FParams, progress, false);
        SetBackground(ImgRGBToColor(FParams->PNGBackground));
    });
}

void TImagoIO::LoadFromStreamPNG(TStream* Stream) {
    LoadStream(ioPNG, true, [&](TProgressRec& progress) {
        ImgCodecs().PNGDecodeStream(Stream, FTarget, *FParams, progress, false);
        SetBackground(ImgRGBToColor(FParams->PNGBackground));
    });
}

void TImagoIO::LoadFromFileTGA(const std::string& FileName) {
    LoadFile(FileName, ioTGA, [&](TStream* stream, TProgressRec& progress) {
        ImgCodecs().TGADecodeStream(stream, FTarget, *FParams, false, progress);
    });
}

void TImagoIO::LoadFromStreamTGA(TStream* Stream) {
    LoadStream(ioTGA, false, [&](TProgressRec& progress) {
        ImgCodecs().TGADecodeStream(Stream, FTarget, *FParams, false, progress);
    });
}

// ---- metafiles ---------------------------------------------------------------------------------

bool ImgMetafileDrawSize(Integer MetaWidth, Integer MetaHeight, Integer Width, Integer Height,
                         Integer& OutWidth, Integer& OutHeight) {
    Int64 w, h;
    if (Width >= 0 && Height >= 0) {
        w = Width;
        h = Height;
    } else if (Width < 0 && Height >= 0) {
        w = MetaHeight != 0 ? Int64(Height) * MetaWidth / MetaHeight : 0;
        h = Height;
    } else if (Height < 0 && Width >= 0) {
        h = MetaWidth != 0 ? Int64(Width) * MetaHeight / MetaWidth : 0;
        w = Width;
    } else {
        w = MetaWidth;
        h = MetaHeight;
    }
    if (w <= 0 || h <= 0) return false;
    if (w > kMetafileMaxSide || h > kMetafileMaxSide) {
        if (h > w) {
            w = w * kMetafileMaxSide / h;
            h = kMetafileMaxSide;
        } else {
            h = h * kMetafileMaxSide / w;
            w = kMetafileMaxSide;
        }
        if (w <= 0 || h <= 0) return false;
    }
    OutWidth = Integer(w);
    OutHeight = Integer(h);
    return true;
}

void TImagoIO::LoadFromFileMetafile(const std::string& FileName, Integer Width, Integer Height) {
    if (!BeginLoad()) return;
    if (Width == 0 || Height == 0) {
        FAborting = true;
        return;
    }
    TMetafile metafile;
    metafile.LoadFromFile(FileName);
    Integer w = 0, h = 0;
    if (!ImgMetafileDrawSize(metafile.GetWidth(), metafile.GetHeight(), Width, Height, w, h)) {
        FAborting = true;
        return;
    }
    metafile.SetWidth(w);
    metafile.SetHeight(h);
    ImgPrepareBitmap(FTarget, pf24bit, w - 1, h - 1);
    FParams->FileName = FileName;
    FParams->FileType = metafile.GetEnhanced() ? ioEMF : ioWMF;
    FParams->BitsPerSample = 8;
    FParams->SamplesPerPixel = 3;
    FParams->Width = FTarget->GetWidth();
    FParams->Height = FTarget->GetHeight();
    FParams->DpiX = ImgDefaultDpiX();
    FParams->DpiY = ImgDefaultDpiY();
    FParams->FreePalette();
    ApplyViewDPI();
    ClearToBackground();
    FTarget->GetCanvas()->Draw(0, 0, &metafile);
    UpdateTarget();
}

// ---- saving ------------------------------------------------------------------------------------

namespace {

// Files are written whole: the encoded image goes to memory first, and only a complete one
// replaces the file, through a temporary file in the same folder renamed over it. A failed or
// aborted save (Aborting set by the encoder) leaves an existing file as it was; a file that
// cannot be written raises EFCreateError.
template <class Encode>
void ReplaceFile(const std::string& FileName, const bool& Aborting, Encode&& EncodeImage) {
    TMemoryStream data;
    EncodeImage(static_cast<TStream*>(&data));
    if (Aborting) return;
    const std::string_view bytes(static_cast<const char*>(data.GetMemory()), static_cast<size_t>(data.GetSize()));
    if (!WriteFileAtomically(FileName, bytes))
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {FileName, std::strerror(errno)}));
}

}  // namespace

void TImagoIO::SaveToFile(const std::string& FileName) {
    RefreshTarget();
    const std::string ext = LowerExt(FileName);
    if (IsOneOf(ext, {".jpg", ".jpeg"}))
        SaveToFileJPEG(FileName);
    else if (ext == ".pcx")
        SaveToFilePCX(FileName);
    else if (ext == ".gif")
        SaveToFileGIF(FileName);
    else if (IsOneOf(ext, {".tif", ".tiff"}))
        SaveToFileTIFF(FileName);
    else if (ext == ".png")
        SaveToFilePNG(FileName);
    else if (ext == ".bmp")
        SaveToFileBMP(FileName);
    else if (ext == ".tga")
        SaveToFileTGA(FileName);
    else {
        if (!FTarget) return;
        const TImgFileFormatInfo* info = FindFormatByExt(RegistryExt(FileName));
        if (!info || !info->Writer) {
            FAborting = true;
            return;
        }
        Save([&](TProgressRec& progress) {
            ReplaceFile(FileName, FAborting, [&](TStream* stream) { info->Writer(stream, FTarget, *FParams, progress); });
        });
    }
}

// Every save clears the flag, does nothing without a target, and hands the writer a target that
// is 24-bit or 1-bit.
template <class Encode>
void TImagoIO::Save(Encode&& EncodeImage) {
    FAborting = false;
    RefreshTarget();
    if (!FTarget) return;
    MakeTargetSavable();
    TProgressRec progress = MakeProgress();
    EncodeImage(progress);
}

// Writes the file through Writer (replacing an existing one).
void TImagoIO::SaveFile(const std::string& FileName, TImgStreamWriter Writer) {
    Save([&](TProgressRec& progress) {
        ReplaceFile(FileName, FAborting, [&](TStream* stream) { Writer(stream, FTarget, *FParams, progress); });
    });
}

void TImagoIO::SaveStream(TStream* Stream, TImgStreamWriter Writer, const char* HeaderTag) {
    Save([&](TProgressRec& progress) {
        auto encode = [&] { Writer(Stream, FTarget, *FParams, progress); };
        if (HeaderTag)
            SaveWithHeader(Stream, HeaderTag, std::strcmp(HeaderTag, "PCX2") == 0, encode);
        else
            encode();
    });
}

void TImagoIO::SaveToFileGIF(const std::string& FileName) { SaveFile(FileName, ImgCodecs().GIFEncodeStream); }

void TImagoIO::SaveToStreamGIF(TStream* Stream) { SaveStream(Stream, ImgCodecs().GIFEncodeStream); }

void TImagoIO::SaveToFileTIFF(const std::string& FileName) {
    Save([&](TProgressRec& progress) {
        ReplaceFile(FileName, FAborting, [&](TStream* stream) {
            ImgCodecs().TIFFEncodeStream(stream, false, FTarget, *FParams, progress);
        });
    });
}

void TImagoIO::SaveToStreamTIFF(TStream* Stream) {
    Save([&](TProgressRec& progress) {
        SaveWithHeader(Stream, "TIFF", false, [&] {
            ImgCodecs().TIFFEncodeStream(Stream, false, FTarget, *FParams, progress);
        });
    });
}

void TImagoIO::SaveToFileJPEG(const std::string& FileName) { SaveFile(FileName, ImgCodecs().JPEGEncodeStream); }

void TImagoIO::SaveToStreamJPEG(TStream* Stream) { SaveStream(Stream, ImgCodecs().JPEGEncodeStream, "JFIF"); }

void TImagoIO::SaveToFilePCX(const std::string& FileName) { SaveFile(FileName, ImgCodecs().PCXEncodeStream); }

void TImagoIO::SaveToStreamPCX(TStream* Stream) { SaveStream(Stream, ImgCodecs().PCXEncodeStream, "PCX2"); }

void TImagoIO::SaveToFileBMP(const std::string& FileName) { SaveFile(FileName, ImgCodecs().BMPEncodeStream); }

void TImagoIO::SaveToStreamBMP(TStream* Stream) { SaveStream(Stream, ImgCodecs().BMPEncodeStream); }

void TImagoIO::SaveToFilePNG(const std::string& FileName) { SaveFile(FileName, ImgCodecs().PNGEncodeStream); }

void TImagoIO::SaveToStreamPNG(TStream* Stream) { SaveStream(Stream, ImgCodecs().PNGEncodeStream); }

void TImagoIO::SaveToFileTGA(const std::string& FileName) { SaveFile(FileName, ImgCodecs().TGAEncodeStream); }

void TImagoIO::SaveToStreamTGA(TStream* Stream) { SaveStream(Stream, ImgCodecs().TGAEncodeStream); }

// ---- parameters only ---------------------------------------------------------------------------

namespace {

// Calls the reader of the file type with ParamsOnly set and the silent progress record. Length is
// what the PCX and BMP readers are told the image's size is.
void ReadParamsOnly(TStream* Stream, Integer FileType, Int64 Length, TBitmap* Target,
                    TIOParamsVals& Params) {
    TImgCodecTable& codecs = ImgCodecs();
    TProgressRec& silent = ImgSilentProgress();
    Integer count = 0;
    switch (FileType) {
    case ioTIFF: codecs.TIFFDecodeStream(Target, Stream, count, &Params, silent, true); break;
    case ioGIF: codecs.GIFDecodeStream(Stream, Target, count, Params, silent, true); break;
    case ioJPEG: codecs.JPEGDecodeStream(Stream, Target, Params, silent, true); break;
    case ioPCX: codecs.PCXDecodeStream(Stream, Target, Params, Length, silent, true); break;
    case ioBMP: codecs.BMPDecodeStream(Stream, Target, Length, Params, silent, true); break;
    case ioICO: codecs.ICODecodeStream(Stream, Target, Params, true, silent); break;
    case ioCUR: codecs.CURDecodeStream(Stream, Target, Params, true, silent); break;
    case ioPNG: codecs.PNGDecodeStream(Stream, Target, Params, silent, true); break;
    case ioTGA: codecs.TGADecodeStream(Stream, Target, Params, true, silent); break;
    default:
        if (const TImgFileFormatInfo* info = FindFormatByType(FileType); info && info->Reader)
            info->Reader(Stream, Target, Params, silent, true);
        break;
    }
}

}  // namespace

void TImagoIO::ParamsFromFile(const std::string& FileName) {
    RefreshTarget();
    FParams->FileType = DetectFileType(FileName, true);
    try {
        TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
        ReadParamsOnly(&stream, FParams->FileType, stream.GetSize(), FTarget, *FParams);
    } catch (...) {
        FParams->FileType = ioUnknown;
    }
    FParams->FileName = FileName;
}

void TImagoIO::ParamsFromStream(TStream* Stream) {
    RefreshTarget();
    try {
        FParams->FileType = DetectStreamType(Stream);
        ReadParamsOnly(Stream, FParams->FileType, BytesLeft(Stream), FTarget, *FParams);
    } catch (...) {
        FParams->FileType = ioUnknown;
    }
}

// ---- counting ----------------------------------------------------------------------------------

Integer TImagoIO::GIFFrameCount(const std::string& FileName) {
    try {
        return ImgCodecs().GIFDeleteFrame(FileName, -1, false);
    } catch (...) {
        return 0;
    }
}

Integer TImagoIO::TIFFPageCount(const std::string& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    return ImgCodecs().TIFFCountPages(&stream);
}

// ---- content detection -------------------------------------------------------------------------

namespace {

// The built-in tests, in order; each reads from Start and goes back there. A test that needs N
// bytes runs only when the stream's whole size is above N.
Integer DetectBuiltin(TStream* Stream, Int64 Start, Int64 Size) {
    TImgCodecTable& codecs = ImgCodecs();
    Byte b[128];
    auto read = [&](Int64 n) {
        std::memset(b, 0, sizeof b);
        Stream->SetPosition(Start);
        Stream->Read(b, n);
        Stream->SetPosition(Start);
        return b;
    };
    if (codecs.IsJPEGStream(Stream)) return ioJPEG;
    Stream->SetPosition(Start);
    if (Size > 12 && HeaderTag(read(12)) == "JFIF") return ioJPEG;
    if (Size > 13 && std::memcmp(read(13), "GIF", 3) == 0) return ioGIF;
    if (Size > 12 && HeaderTag(read(12)) == "PCX2") return ioPCX;
    if (Size > 4) {
        read(4);
        size_t n = 0;
        while (n < 4 && b[n] != 0) ++n;
        if (std::string(reinterpret_cast<const char*>(b), n) == "PCX") return ioPCX;
    }
    if (Size > 14 && std::memcmp(read(14), "BM", 2) == 0) return ioBMP;
    // A PCX header: manufacturer 10, a known version, run-length or plain encoding and a real
    // bit depth. The last two keep out Targa files whose image ID happens to be 10 bytes long.
    if (Size > 128 && read(128)[0] == 0x0A && b[1] <= 5 && b[2] <= 1 &&
        (b[3] == 1 || b[3] == 2 || b[3] == 4 || b[3] == 8))
        return ioPCX;
    if (Size > 12 && HeaderTag(read(12)) == "TIFF") return ioTIFF;
    if (Size > 8 && (std::memcmp(read(8), "II", 2) == 0 || std::memcmp(b, "MM", 2) == 0))
        return ioTIFF;
    if (Size > 8 && codecs.IsPNGStream(Stream)) return ioPNG;
    Stream->SetPosition(Start);
    if (codecs.IsICOStream(Stream)) return ioICO;
    Stream->SetPosition(Start);
    if (codecs.IsCURStream(Stream)) return ioCUR;
    Stream->SetPosition(Start);
    if (codecs.IsTGAStream(Stream)) return ioTGA;
    return ioUnknown;
}

}  // namespace

Integer DetectStreamType(TStream* Stream) {
    Integer result = ioUnknown;
    const Int64 start = Stream->GetPosition();
    try {
        const Int64 size = Stream->GetSize();
        for (auto& info : ImgFileFormats()) {
            if (!info->Detector) continue;
            Stream->SetPosition(start);
            const bool hit = info->Detector(Stream);
            Stream->SetPosition(start);
            if (hit) {
                result = info->FileType;
                break;
            }
        }
        if (result == ioUnknown) result = DetectBuiltin(Stream, start, size);
    } catch (...) {
        // Detection ends with what was found so far.
    }
    try {
        Stream->SetPosition(start);
    } catch (...) {
    }
    return result;
}

Integer DetectFileType(const std::string& FileName, bool CheckExtension) {
    Integer result = ioUnknown;
    try {
        TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
        result = DetectStreamType(&stream);
    } catch (...) {
        return ioUnknown;
    }
    if (CheckExtension) {
        const TImgFileFormatInfo* info = FindFormatByExt(RegistryExt(FileName));
        if (!info || info->FileType != result) return ioUnknown;
    }
    return result;
}

// ---- The save-parameters form ----------------------------------------------------------------

namespace {

TImgIOPreviewsRunner& IOPreviewsRunner() {
    static TImgIOPreviewsRunner runner;
    return runner;
}

}  // namespace

void SetImgIOPreviewsRunner(TImgIOPreviewsRunner Runner) {
    IOPreviewsRunner() = std::move(Runner);
}

bool TImagoIO::ShowPreviews(Word Pages) {
    RefreshTarget();
    if (!FTarget) return false;
    if (FTarget->GetPixelFormat() != pf24bit && FTarget->GetPixelFormat() != pf1bit) FTarget->SetPixelFormat(pf24bit);
    const TImgIOPreviewsRunner runner = IOPreviewsRunner();
    const bool result = runner && runner(this, FTarget, Pages);
    UpdateTarget();
    return result;
}
