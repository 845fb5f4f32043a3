#include "catalogue/img_functions.h"

#include <sys/stat.h>

#include <cstdlib>

#include "catalogue/format_records.h"
#include "catalogue/lm_types.h"
#include "framework/dialog_service.h"
#include "framework/exceptions.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/printers.h"
#include "framework/stream.h"
#include "framework/sysutils.h"
#include "imaging/dialogs/img_file_dialogs.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_proc.h"

void ClearImageProperties(TImageProperties& Props) { Props = TImageProperties{}; }

namespace {

// Loads and header reads open regular files only: reading a pipe, socket or device could wait
// for ever.
bool RegularFileExists(const std::string& FileName) {
    struct stat st{};
    return !FileName.empty() && stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool TooSmall(TBitmap* Bitmap) { return !Bitmap || (Bitmap->GetWidth() < 2 && Bitmap->GetHeight() < 2); }

[[noreturn]] void LoadError() { throw Exception("Load Error"); }
[[noreturn]] void SaveError() { throw Exception("Save Error"); }

// Attaches a caller's bitmap to a component and detaches it again whatever happens.
template <class C>
class TAttached {
public:
    TAttached(C* Component, TBitmap* Bitmap) : FComponent(Component) { Component->SetAttachedBitmap(Bitmap); }
    ~TAttached() { FComponent->SetAttachedBitmap(nullptr); }
    TAttached(const TAttached&) = delete;
    TAttached& operator=(const TAttached&) = delete;

private:
    C* FComponent;
};

}  // namespace

// Keeps the events quiet for an operation called with Notify False, until it ends.
class TImgFunctions::TQuiet {
public:
    TQuiet(TImgFunctions* Owner, bool Notify) : FOwner(Owner), FSaved(Owner->FSilent) {
        if (!Notify) Owner->FSilent = true;
    }
    ~TQuiet() { FOwner->FSilent = FSaved; }
    TQuiet(const TQuiet&) = delete;
    TQuiet& operator=(const TQuiet&) = delete;

private:
    TImgFunctions* FOwner;
    bool FSaved;
};

TImgFunctions::TImgFunctions(TComponent* AOwner) : TComponent(AOwner) {
    FIO = new TImagoIO(this);
    FProc = new TImagoProc(this);
    FProc->SetAutoUndo(false);
    auto relay = [this](TObject*, Integer per) {
        if (!FSilent && OnProgress) OnProgress(this, per);
    };
    FIO->OnProgress = relay;
    FProc->OnProgress = relay;
}

void TImgFunctions::EndOperation(bool Notify) {
    if (Notify && !FSilent && OnProgressEnd) OnProgressEnd(this);
}

// ---- Loading -----------------------------------------------------------------------------------

void TImgFunctions::LoadIOFromFile(TImagoIO* IO, const std::string& FileName, bool RetryFalseExt) {
    if (!TryLoadIOFromFile(IO, FileName, RetryFalseExt)) LoadError();
}

bool TImgFunctions::TryLoadIOFromFile(TImagoIO* IO, const std::string& FileName, bool RetryFalseExt) {
    try {
        if (!RegularFileExists(FileName)) return false;
        IO->LoadFromFile(FileName);
        if (!IO->GetAborting() && !TooSmall(IO->GetAttachedBitmap())) return true;
        if (!RetryFalseExt || !IsFalseExtension(FileName)) return false;
        LoadByDetectedFormat(IO, FileName);
        return true;
    } catch (...) {
        return false;
    }
}

void TImgFunctions::LoadByDetectedFormat(TImagoIO* IO, const std::string& FileName) {
    if (!RegularFileExists(FileName)) LoadError();
    switch (DetectFileType(FileName, false)) {
    case ioTIFF: IO->LoadFromFileTIFF(FileName); break;
    case ioGIF: IO->LoadFromFileGIF(FileName); break;
    case ioJPEG: IO->LoadFromFileJPEG(FileName); break;
    case ioPCX: IO->LoadFromFilePCX(FileName); break;
    case ioBMP: IO->LoadFromFileBMP(FileName); break;
    case ioICO: IO->LoadFromFileICO(FileName); break;
    case ioCUR: IO->LoadFromFileCUR(FileName); break;
    case ioPNG: IO->LoadFromFilePNG(FileName); break;
    case ioTGA: IO->LoadFromFileTGA(FileName); break;
    default: LoadError();
    }
    if (IO->GetAborting() || TooSmall(IO->GetAttachedBitmap())) LoadError();
}

TOpenImagoDialog* TImgFunctions::GetOpenDialog() {
    if (!FOpenDialog) FOpenDialog = new TOpenImagoDialog(this);
    return FOpenDialog;
}

bool TImgFunctions::OpenImageDialog(TImagoIO* IO, const std::string& Title, std::string& FileName,
                                    const std::string& Filter) {
    TOpenImagoDialog* dialog = GetOpenDialog();
    dialog->SetTitle(Title.empty() ? "Please select an Image" : Title);
    dialog->SetAutoSetFilter(Filter.empty());
    if (!Filter.empty()) dialog->SetFilter(Filter);
    if (!dialog->Execute()) return false;
    FileName = dialog->GetFileName();
    if (TryLoadIOFromFile(IO, FileName, true)) return true;
    MessageDlg("An error was encountered whilst loading the file, " + FileName +
                   ".  It may be corrupted or no longer available",
               mtWarning, {mbOK});
    FileName.clear();
    return false;
}

bool TImgFunctions::OpenImageToBitmap(TBitmap* Bitmap, const std::string& Title, std::string& FileName,
                                      const std::string& Filter) {
    bool ok = false;
    {
        TAttached<TImagoIO> attached(FIO, Bitmap);
        ok = OpenImageDialog(FIO, Title, FileName, Filter);
    }
    EndOperation(true);
    return ok;
}

bool TImgFunctions::LoadGraphic(TBitmap* Graphic, const std::string& FileName, bool Notify) {
    TQuiet quiet(this, Notify);
    bool ok = false;
    {
        TAttached<TImagoIO> attached(FIO, Graphic);
        ok = TryLoadIOFromFile(FIO, FileName, true);
    }
    EndOperation(Notify);
    return ok;
}

bool TImgFunctions::LoadGraphicAtSize(TBitmap* Graphic, const std::string& FileName, bool Notify, Integer W,
                                      Integer H) {
    if (W <= 1 || H <= 1) return LoadGraphic(Graphic, FileName, Notify);
    if (IsJPEGFile(FileName)) return LoadGraphicScaledJPEG(Graphic, FileName, Notify, W, H);
    // A PNG is reduced while it is read, to about twice the box.
    TIOParamsVals* params = FIO->GetParams();
    params->PNGReduceWidth = W;
    params->PNGReduceHeight = H;
    bool ok = false;
    try {
        ok = LoadGraphic(Graphic, FileName, Notify);
    } catch (...) {
        params->PNGReduceWidth = params->PNGReduceHeight = 0;
        throw;
    }
    params->PNGReduceWidth = params->PNGReduceHeight = 0;
    return ok;
}

bool TImgFunctions::LoadGraphicScaledJPEG(TBitmap* Graphic, const std::string& FileName, bool Notify, Integer W,
                                          Integer H) {
    TQuiet quiet(this, Notify);
    bool ok = false;
    {
        TAttached<TImagoIO> attached(FIO, Graphic);
        ok = LoadJPEGScaled(FIO, FileName, W, H);
    }
    EndOperation(Notify);
    return ok;
}

bool TImgFunctions::LoadJPEGScaled(TImagoIO* IO, const std::string& FileName, Integer W, Integer H) {
    TIOParamsVals* params = IO->GetParams();
    const Byte savedScale = params->JPEGScale;
    try {
        if (!RegularFileExists(FileName)) return false;
        if (W >= 1 && H >= 1) {
            params->Width = W;
            params->Height = H;
            params->JPEGScale = 0;
        } else {
            params->JPEGScale = 1;
        }
        IO->LoadFromFileJPEG(FileName);
        params->JPEGScale = savedScale;
        return !IO->GetAborting() && !TooSmall(IO->GetAttachedBitmap());
    } catch (...) {
        params->JPEGScale = savedScale;
        return false;
    }
}

bool TImgFunctions::LoadThumbnail(TBitmap* Bitmap, const std::string& FileName, bool Notify, bool HighQuality,
                                  Integer W, Integer H) {
    TQuiet quiet(this, Notify);
    bool ok = false;
    try {
        {
            TAttached<TImagoIO> attached(FIO, Bitmap);
            ok = IsJPEGFile(FileName) && (W > 1 || H > 1) ? LoadJPEGScaled(FIO, FileName, W, H)
                                                          : TryLoadIOFromFile(FIO, FileName, true);
        }
        if (ok) {
            Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
            FitImageSize(w, h, W, H);
            ok = ResampleBitmap(Bitmap, w, Notify, false, HighQuality, h);
        }
    } catch (...) {
        ok = false;
    }
    EndOperation(Notify);
    return ok;
}

// ---- Saving ------------------------------------------------------------------------------------

bool TImgFunctions::TrySaveIOToFile(TImagoIO* IO, const std::string& FileName, bool AsJPEG, Integer Quality) {
    try {
        if (Quality > 0) IO->GetParams()->JPEGQuality = Quality;
        if (AsJPEG)
            IO->SaveToFileJPEG(FileName);
        else if (IsFalseExtension(FileName))
            SaveByDetectedFormat(IO, FileName);
        else
            IO->SaveToFile(FileName);
        return !IO->GetAborting();
    } catch (...) {
        return false;
    }
}

void TImgFunctions::SaveIOToFile(TImagoIO* IO, const std::string& FileName, Integer Quality) {
    if (!TrySaveIOToFile(IO, FileName, false, Quality)) SaveError();
}

void TImgFunctions::SaveByDetectedFormat(TImagoIO* IO, const std::string& FileName) {
    const Integer type = RegularFileExists(FileName) ? DetectFileType(FileName, false) : ioUnknown;
    switch (type) {
    case ioTIFF: IO->SaveToFileTIFF(FileName); break;
    case ioGIF: IO->SaveToFileGIF(FileName); break;
    case ioJPEG: IO->SaveToFileJPEG(FileName); break;
    case ioPCX: IO->SaveToFilePCX(FileName); break;
    case ioBMP: IO->SaveToFileBMP(FileName); break;
    case ioPNG: IO->SaveToFilePNG(FileName); break;
    case ioTGA: IO->SaveToFileTGA(FileName); break;
    default: SaveError();
    }
    if (IO->GetAborting()) SaveError();
}

bool TImgFunctions::SaveGraphic(TBitmap* Graphic, const std::string& FileName, bool Notify, bool Reduce256,
                                bool AsJPEG, Integer Quality) {
    TQuiet quiet(this, Notify);
    bool ok = false;
    try {
        if (Reduce256) {
            TAttached<TImagoProc> attached(FProc, Graphic);
            FProc->ReduceColors(256);
        }
        TAttached<TImagoIO> attached(FIO, Graphic);
        ok = TrySaveIOToFile(FIO, FileName, AsJPEG, Quality);
    } catch (...) {
        ok = false;
    }
    EndOperation(Notify);
    return ok;
}

bool TImgFunctions::SaveGraphicAsJPEG(TBitmap* Graphic, const std::string& FileName, bool Notify, bool Reduce256,
                                      Integer Quality) {
    return SaveGraphic(Graphic, FileName, Notify, Reduce256, true, Quality);
}

bool TImgFunctions::SaveBitmapToFile(TBitmap* Bitmap, const std::string& FileName, bool Notify, bool Reduce256,
                                     Integer Quality) {
    return SaveGraphic(Bitmap, FileName, Notify, Reduce256, false, Quality);
}

bool TImgFunctions::ConvertImageFile(const std::string& Source, const std::string& Dest, bool Notify, Integer Quality) {
    if (Source == Dest) return true;
    bool ok = false;
    try {
        TBitmap bitmap;
        ok = LoadGraphic(&bitmap, Source, Notify) && SaveBitmapToFile(&bitmap, Dest, Notify, false, Quality);
    } catch (...) {
        ok = false;
    }
    if (!ok) MessageDlg("An error was encountered whilst converting the image, " + Source + "!", mtWarning, {mbOK});
    return ok;
}

void TImgFunctions::CreateThumbnailFile(const std::string& Source, const std::string& Dest, bool Notify,
                                        bool HighQuality, Integer Quality, Integer W, Integer H) {
    TBitmap bitmap;
    if (!LoadThumbnail(&bitmap, Source, Notify, HighQuality, W, H)) LoadError();
    TQuiet quiet(this, Notify);
    TAttached<TImagoIO> attached(FIO, &bitmap);
    SaveIOToFile(FIO, Dest, Quality);
}

bool TImgFunctions::ReduceColourDepth(TImagoProc* Proc, TImagoIO* IO, Integer Level) {
    try {
        TIOParamsVals* params = IO->GetParams();
        auto depth = [&](Integer Bits, Integer Samples) {
            params->BitsPerSample = Bits;
            params->SamplesPerPixel = Samples;
        };
        switch (Level) {
        case 0:
            Proc->ConvertToBlackWhite();
            depth(2, 1);
            break;
        case 1:
            if (Proc->CountColors() > 16) Proc->ReduceColors(16);
            depth(4, 1);
            break;
        case 2:
            if (Proc->CountColors() > 256) Proc->ReduceColors(256);
            depth(8, 1);
            break;
        case 3: depth(8, 2); break;
        case 4:
            Proc->ConvertTo24Bit();
            depth(8, 3);
            break;
        default: return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

// ---- Processing --------------------------------------------------------------------------------

bool TImgFunctions::ResampleBitmap(TBitmap* Bitmap, Integer W, bool Notify, bool Reduce256, bool HighQuality,
                                   Integer H) {
    if (Bitmap->GetWidth() == W && Bitmap->GetHeight() == H) return true;
    TQuiet quiet(this, Notify);
    TAttached<TImagoProc> attached(FProc, Bitmap);
    return ResampleProc(FProc, W, Reduce256, HighQuality, H);
}

bool TImgFunctions::ResampleProc(TImagoProc* Proc, Integer W, bool Reduce256, bool HighQuality, Integer H) {
    try {
        const TResampleFilter filter = HighQuality && (W >= 10 || H >= 10) ? rfLanczos3 : rfNone;
        try {
            Proc->Resample(W, H, filter);
        } catch (...) {
            if (filter == rfNone) throw;
            Proc->Resample(W, H, rfNone);
        }
        if (Reduce256) Proc->ReduceColors(256);
        return true;
    } catch (...) {
        return false;
    }
}

void TImgFunctions::RotateProc(TImagoProc* Proc, Integer Angle, bool Antialias) {
    Proc->Rotate(std::abs(360 - Angle), Antialias);
}

bool TImgFunctions::CopyBitmapToClipboard(TBitmap* Bitmap) {
    try {
        TAttached<TImagoProc> attached(FProc, Bitmap);
        FProc->CopyToClipboard();
        return true;
    } catch (...) {
        MessageDlg("An error was encountered copying the image to the clipboard!", mtWarning, {mbOK});
        return false;
    }
}

void TImgFunctions::FitImageSize(Integer& W, Integer& H, Integer BoxW, Integer BoxH) {
    const TRect r = FitRectInBox(W, H, BoxW, BoxH, 0, 0, true, true, false, false);
    W = r.Width();
    H = r.Height();
}

// ---- Measuring and naming ----------------------------------------------------------------------

bool TImgFunctions::GetImageFileProperties(const std::string& FileName, TImageProperties& Props) {
    ClearImageProperties(Props);
    try {
        if (!RegularFileExists(FileName)) return false;
        TImagoIO io(nullptr);
        if (IsFalseExtension(FileName)) {
            // Read as what the content shows, as loading does.
            TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
            io.ParamsFromStream(&stream);
        } else {
            io.ParamsFromFile(FileName);
        }
        const TIOParamsVals* params = io.GetParams();
        // A header that says nothing about the size is no picture (a file cut short).
        if (params->FileType == ioUnknown || params->Width < 1 || params->Height < 1) return false;
        GetIOImageProperties(&io, Props);
        return true;
    } catch (...) {
        ClearImageProperties(Props);
        return false;
    }
}

void TImgFunctions::GetIOImageProperties(TImagoIO* IO, TImageProperties& Props) {
    const TIOParamsVals* params = IO->GetParams();
    Props.FileType = params->FileType;
    Props.FileTypeText = FileTypeToStr(params->FileType);
    Props.Width = params->Width;
    Props.Height = params->Height;
    Props.BitDepth = params->BitsPerSample * params->SamplesPerPixel;
    if (Props.BitDepth == 15) Props.BitDepth = 16;
    Props.ColoursText = BitDepthToStr(Props.BitDepth);
}

std::string TImgFunctions::FileTypeToStr(Integer Code) {
    switch (Code) {
    case ioTIFF: return "TIFF Image";
    case ioGIF: return "Compuserve GIF";
    case ioJPEG: return "JPEG Image";
    case ioPCX: return "PCX Image";
    case ioBMP: return "Windows Bitmap";
    case ioICO: return "Icon Resource";
    case ioCUR: return "Windows Cursor";
    case ioPNG: return "PNG Image";
    case ioWMF: return "Windows Metafile";
    case ioEMF: return "Enhanced Windows Metafile";
    default: return "Unknown";
    }
}

std::string TImgFunctions::BitDepthToStr(Integer Bits) {
    switch (Bits) {
    case 1: return "2";
    case 2: return "4";
    case 3: return "8";
    case 4: return "16";
    case 5: return "32";
    case 6: return "64";
    case 7: return "128";
    case 8: return "256";
    case 16: return "65,536";
    case 24: return "16 Million";
    case 32: return "4 Billion";
    default: return "Unknown";
    }
}

std::string TImgFunctions::GetFormatExtension(const std::string& FileName) {
    try {
        if (!RegularFileExists(FileName)) return "";
        switch (DetectFileType(FileName, false)) {
        case ioTIFF: return ".tiff";
        case ioGIF: return ".gif";
        case ioJPEG: return ".jpg";
        case ioPCX: return ".pcx";
        case ioBMP: return ".bmp";
        case ioICO: return ".ico";
        case ioCUR: return ".cur";
        case ioPNG: return ".png";
        case ioWMF: return ".wmf";
        case ioEMF: return ".emf";
        case ioTGA: return ".tga";
        default: return "";
        }
    } catch (...) {
        return "";
    }
}

bool TImgFunctions::IsFalseExtension(const std::string& FileName) {
    return ExtensionInList(ExtractFileExt(FileName), FalseExtensions);
}

bool TImgFunctions::IsJPEGFile(const std::string& FileName) {
    const std::string ext = LowerCase(ExtractFileExt(FileName));
    return ext == ".jpg" || ext == ".jpeg" || ext == ".jpe";
}

// ---- Printing ----------------------------------------------------------------------------------

bool TImgFunctions::PrintBitmap(TBitmap* Bitmap, Integer MarginX, bool CenterH, bool CenterV, Integer MarginY) {
    TPrinter* printer = Printer();
    try {
        printer->BeginDoc();
        const Integer boxW = printer->GetPageWidth() - 2 * MarginX;
        const Integer boxH = printer->GetPageHeight() - 2 * MarginY;
        const TRect r = FitRectInBox(Bitmap->GetWidth(), Bitmap->GetHeight(), boxW, boxH, MarginX, MarginY, true, true,
                                     CenterV, CenterH);
        DrawBitmapStretched(printer->GetCanvas(), r, Bitmap);
        printer->EndDoc();
        return true;
    } catch (...) {
        if (printer->GetPrinting()) printer->Abort();
        return false;
    }
}

bool TImgFunctions::PrintImageFile(const std::string& FileName, Integer MarginX, bool Notify, bool CenterH,
                                   bool CenterV, Integer MarginY) {
    TBitmap bitmap;
    return LoadGraphic(&bitmap, FileName, Notify) && PrintBitmap(&bitmap, MarginX, CenterH, CenterV, MarginY);
}

void TImgFunctions::DrawBitmapStretched(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap) {
    Canvas->StretchDraw(Rect, Bitmap);
}
