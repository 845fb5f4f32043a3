#include "imaging/controls/imago_mio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <string_view>

#include "framework/atomic_file.h"
#include "framework/exceptions.h"
#include "framework/file_utils.h"
#include "framework/memory_limits.h"
#include "framework/sysutils.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/formats/avi_file.h"
#include "imaging/formats/avi_save_options.h"
#include "imaging/formats/codec_table.h"

namespace {

std::string LowerExt(const std::string& FileName) {
    return LowerCase(ExtractFileExt(FileName));
}

// The whole of a file in memory for reading, read straight into a block of its size (a memory
// stream would clear its block first). Raises as a file stream does when the file cannot be read.
class TFileInMemory : public TCustomMemoryStream {
    LUMORA_CLASS(TFileInMemory, TCustomMemoryStream)
public:
    explicit TFileInMemory(const std::string& FileName) {
        TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
        const Int64 size = std::max<Int64>(file.GetSize(), 0);
        if (!MemoryCanHold(UInt64(size))) OutOfMemoryError();
        AllocateOrRaise([&] { FBlock = std::make_unique_for_overwrite<Byte[]>(size_t(size)); });
        file.ReadBuffer(FBlock.get(), size);
        SetPointer(FBlock.get(), size);
    }
    Int64 Write(const void*, Int64) override { return 0; }

private:
    std::unique_ptr<Byte[]> FBlock;
};

// The image delay of a GIF frame: its own delay when it has one (which becomes the last delay),
// else the last delay.
Integer GIFFrameDelay(const TIOParamsVals& Params, Integer& LastDelay) {
    if (Params.GIFDelayTime > 0) LastDelay = Params.GIFDelayTime * 10;
    return LastDelay;
}

}  // namespace

// ---- life ------------------------------------------------------------------------------------

TImagoMIO::TImagoMIO(TComponent* AOwner)
    : TComponent(AOwner),
      FTWainParams(std::make_unique<TImgTWainParams>(this)),
      FPreviewFont(std::make_unique<TFont>()) {}

TImagoMIO::~TImagoMIO() {
    ForgetView();
}

// ---- attachment ------------------------------------------------------------------------------

void TImagoMIO::ForgetView() {
    if (!FAttachedMView) return;
    FAttachedMView->RemoveBitmapChangeListener(this);
    RemoveFreeNotification(FAttachedMView);
    FAttachedMView = nullptr;
}

void TImagoMIO::SetAttachedMView(TImagoMView* View) {
    ForgetView();
    FAttachedMView = View;
    if (!View) return;
    FreeNotification(View);
    View->AddBitmapChangeListener(this, [this](TObject*) { MViewChanged(); });
    MViewChanged();
}

void TImagoMIO::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FAttachedMView) {
        FAttachedMView->RemoveBitmapChangeListener(this);
        FAttachedMView = nullptr;
    }
}

void TImagoMIO::SetPreviewFont(TFont* Font) {
    FPreviewFont->Assign(Font);
}

// ---- the parameter list ----------------------------------------------------------------------

// Follows the view's last change; the list is then brought to the view's count in any case (a
// view cleared at once reports one deletion).
void TImagoMIO::MViewChanged() {
    if (!FAttachedMView) return;
    const Integer change = FAttachedMView->TakeLastChange();
    const Integer at = FAttachedMView->GetLastChangeIndex();
    if (change == imgChangeInserted)
        InsertFrameParams(at);
    else if (change == imgChangeDeleted)
        DeleteFrameParams(at);
    const Integer count = FAttachedMView->ImageCount();
    while (GetFrameParamsCount() > count) DeleteFrameParams(GetFrameParamsCount() - 1);
    while (GetFrameParamsCount() < count) InsertFrameParams(GetFrameParamsCount());
}

void TImagoMIO::Renumber(Integer From) {
    for (size_t i = size_t(std::max<Integer>(From, 0)); i < FParams.size(); ++i) {
        FParams[i]->TIFFImageIndex = Integer(i);
        FParams[i]->GIFImageIndex = Integer(i);
    }
}

TIOParamsVals* TImagoMIO::GetFrameParams(Integer N) const {
    return N >= 0 && N < GetFrameParamsCount() ? FParams[size_t(N)].get() : nullptr;
}

void TImagoMIO::InsertFrameParams(Integer N) {
    auto params = std::make_unique<TIOParamsVals>(nullptr);
    N = std::clamp<Integer>(N, 0, GetFrameParamsCount());
    if (!FParams.empty()) params->Assign(FParams[size_t(std::min(N, GetFrameParamsCount() - 1))].get());
    FParams.insert(FParams.begin() + N, std::move(params));
    Renumber(N);
}

void TImagoMIO::DeleteFrameParams(Integer N) {
    if (N < 0 || N >= GetFrameParamsCount()) return;
    FParams.erase(FParams.begin() + N);
    Renumber(N);
}

// ---- shared steps ----------------------------------------------------------------------------

void TImagoMIO::UpdateTarget() {
    if (!FAttachedMView) return;
    FAttachedMView->Update();
    FAttachedMView->ImageChange();
}

void TImagoMIO::Progress(Integer Percent) {
    if (OnProgress) OnProgress(this, Percent);
}

TProgressRec TImagoMIO::CodecProgress() {
    TProgressRec rec;
    rec.Aborting = &FAborting;
    return rec;
}

// The form reaches a frame through a single-image I/O component of its own, over a copy of the
// view's picture and a copy of the frame's parameters, which take the edits back on OK.
bool TImagoMIO::ShowPreviews(Integer N, Integer Pages) {
    TIOParamsVals* params = GetFrameParams(N);
    TBitmap* shown = FAttachedMView ? FAttachedMView->GetBitmap() : nullptr;
    if (!params || !shown) return false;
    TBitmap source;
    source.Assign(shown);
    TImagoIO io(nullptr);
    io.SetAttachedBitmap(&source);
    io.SetPreviewsParams(FPreviewsParams);
    io.SetMsgLanguage(FMsgLanguage);
    io.SetPreviewFont(FPreviewFont.get());
    io.GetParams()->Assign(params);
    const bool ok = io.ShowPreviews(Word(Pages));
    if (ok) params->Assign(io.GetParams());
    Renumber(0);
    UpdateTarget();
    return ok;
}

// ---- loading ---------------------------------------------------------------------------------

void TImagoMIO::LoadFromFile(const std::string& FileName) {
    const std::string ext = LowerExt(FileName);
    if (ext == ".gif")
        LoadGIFFrames(FileName);
    else if (ext == ".tif" || ext == ".tiff")
        LoadTIFFPages(FileName);
    else if (ext == ".avi")
        LoadAVIFrames(FileName);
    else
        FAborting = false;
}

// Reads frame after frame into new images from the selected one on: DecodeFrame(bitmap, params,
// index, image, count) reads frame index for the image at that place, sets the number of frames
// and answers the image's delay. A frame that fails (the flag set) or a file without frames
// removes the image again.
template <class Decode>
void TImagoMIO::LoadFrames(Decode&& DecodeFrame) {
    FAborting = false;
    if (!FAttachedMView) return;
    Integer n = std::max<Integer>(FAttachedMView->GetSelectedImage(), 0);
    Integer count = 0;
    for (Integer i = 0;; ++i, ++n) {
        FAttachedMView->InsertImage(n);
        n = FAttachedMView->GetLastChangeIndex();
        TIOParamsVals* params = GetFrameParams(n);
        auto bitmap = std::make_unique<TBitmap>();
        const Integer delay = DecodeFrame(bitmap.get(), *params, i, n, count);
        params->GIFImageIndex = n;
        params->TIFFImageIndex = n;
        if (FAborting || count <= 0) {
            FAttachedMView->DeleteImage(n);
            break;
        }
        FAttachedMView->TakeImage(n, std::move(bitmap));
        FAttachedMView->SetImageDelay(n, delay);
        Progress(Integer(Int64(i) * 100 / count));
        if (FAborting || i + 1 >= count) break;
    }
    UpdateTarget();
}

// Each frame is read alone, from the file's header followed by the frame's own blocks, so that
// loading takes time in step with the number of frames. Data whose frames cannot be found is read
// whole for every frame (which reports its failure).
void TImagoMIO::LoadGIFFramesFromStream(TStream* Stream) {
    Integer lastDelay = 10;
    TProgressRec progress = CodecProgress();
    const Int64 start = Stream->GetPosition();
    Int64 headerEnd = 0;
    std::vector<Int64> bounds;
    const bool alone = GIFFrameLayout(Stream, headerEnd, bounds) && bounds.size() > 1;
    auto copy = [&](TStream* To, Int64 From, Int64 End) {
        Stream->SetPosition(From);
        if (End > From) To->CopyFrom(Stream, End - From);
    };
    LoadFrames([&](TBitmap* b, TIOParamsVals& p, Integer i, Integer n, Integer& count) {
        if (alone) {
            TMemoryStream frame;
            copy(&frame, start, headerEnd);
            copy(&frame, bounds[size_t(i)], bounds[size_t(i) + 1]);
            const Byte trailer = 0x3B;
            frame.WriteBuffer(&trailer, 1);
            frame.SetPosition(0);
            p.GIFImageIndex = 0;
            Integer frames = 0;
            ImgCodecs().GIFDecodeStream(&frame, b, frames, p, progress, false);
            count = Integer(bounds.size() - 1);
        } else {
            Stream->SetPosition(start);
            p.GIFImageIndex = i;
            ImgCodecs().GIFDecodeStream(Stream, b, count, p, progress, false);
        }
        p.FileType = ioGIF;
        p.FileName.clear();
        FAttachedMView->SetImageBackground(n, ImgRGBToColor(p.GIFBackground));
        return GIFFrameDelay(p, lastDelay);
    });
}

// The directory chain is walked once and each page is read from its own directory.
void TImagoMIO::LoadTIFFPagesFromStream(TStream* Stream) {
    TProgressRec progress = CodecProgress();
    const Int64 start = Stream->GetPosition();
    std::vector<Int64> pages;
    const bool tiff = ImgCodecs().TIFFPageLayout(Stream, pages);
    LoadFrames([&](TBitmap* b, TIOParamsVals& p, Integer i, Integer, Integer& count) {
        count = Integer(pages.size());
        if (!tiff) progress.Abort();
        if (i >= count) return Integer(100);
        Stream->SetPosition(start);
        p.TIFFImageIndex = i;
        ImgCodecs().TIFFDecodePage(b, Stream, pages[size_t(i)], p, progress);
        p.FileType = ioTIFF;
        p.FileName.clear();
        return Integer(100);
    });
}

// The file is read into memory once, as the frames are read from all over it.
void TImagoMIO::LoadGIFFrames(const std::string& FileName) {
    FAborting = false;
    TFileInMemory stream(FileName);
    LoadGIFFramesFromStream(&stream);
}

void TImagoMIO::LoadTIFFPages(const std::string& FileName) {
    FAborting = false;
    TFileInMemory stream(FileName);
    LoadTIFFPagesFromStream(&stream);
}

// ---- saving ----------------------------------------------------------------------------------

void TImagoMIO::SaveToFile(const std::string& FileName) {
    const std::string ext = LowerExt(FileName);
    if (ext == ".gif")
        SaveGIFFrames(FileName);
    else if (ext == ".tif" || ext == ".tiff")
        SaveTIFFPages(FileName);
    else if (ext == ".avi")
        SaveAVIFrames(FileName);
    else
        FAborting = false;
}

// Writes image after image: EncodeFrame(stream, bitmap, params, index, progress) writes image
// index into the file at the stream's position and answers false when it failed. A failure or
// an abort sets the flag and stops.
template <class Encode>
void TImagoMIO::SaveFrames(TStream* Stream, Encode&& EncodeFrame) {
    FAborting = false;
    if (!FAttachedMView || FAttachedMView->ImageCount() == 0) return;
    TProgressRec progress = CodecProgress();
    const Int64 start = Stream->GetPosition();
    const Integer count = FAttachedMView->ImageCount();
    for (Integer n = 0; n < count; ++n) {
        TIOParamsVals* params = GetFrameParams(n);
        Stream->SetPosition(start);
        TBitmap* bitmap = FAttachedMView->GetImageBitmap(n);
        const bool written = bitmap && params && EncodeFrame(Stream, bitmap, *params, n, progress);
        FAttachedMView->ReleaseImageBitmap(n);
        if (!written) FAborting = true;
        Progress(Integer(Int64(n) * 100 / count));
        if (FAborting) return;
    }
}

// Every frame after the first is inserted by the codec into a GIF that holds only the file's
// header, and its blocks then take the place of the file's trailer: the frames the codec would
// insert into the whole file, written in time in step with the number of frames.
void TImagoMIO::SaveGIFFramesToStream(TStream* Stream) {
    constexpr Byte trailer = 0x3B;
    // The file's header with its global colour table, and where the file's trailer stands.
    std::vector<Byte> header;
    Int64 end = 0;
    SaveFrames(Stream, [&](TStream* s, TBitmap* b, TIOParamsVals& p, Integer n, TProgressRec& progress) {
        const Int64 start = s->GetPosition();
        Int64 headerEnd = 0;
        std::vector<Int64> bounds;
        if (n == 0) {
            ImgCodecs().GIFEncodeStream(s, b, p, progress);
            end = s->GetPosition() - 1;
            s->SetPosition(start);
            if (FAborting || !GIFFrameLayout(s, headerEnd, bounds)) return false;
            header.resize(size_t(headerEnd - start));
            s->ReadBuffer(header.data(), Int64(header.size()));
            return true;
        }
        TMemoryStream alone;
        alone.WriteBuffer(header.data(), Int64(header.size()));
        alone.WriteBuffer(&trailer, 1);
        alone.SetPosition(0);
        if (ImgCodecs().GIFInsertFrame(&alone, b, p, progress) <= 0) return false;
        alone.SetPosition(0);
        if (!GIFFrameLayout(&alone, headerEnd, bounds) || bounds.size() < 2) return false;
        s->SetPosition(start + 3);
        s->WriteBuffer("89a", 3);
        s->SetPosition(end);
        alone.SetPosition(bounds[0]);
        s->CopyFrom(&alone, bounds[1] - bounds[0]);
        end = s->GetPosition();
        s->WriteBuffer(&trailer, 1);
        return true;
    });
}

void TImagoMIO::SaveTIFFPagesToStream(TStream* Stream) {
    SaveFrames(Stream, [](TStream* s, TBitmap* b, TIOParamsVals& p, Integer n, TProgressRec& progress) {
        return ImgCodecs().TIFFEncodeStream(s, n > 0, b, p, progress) > 0;
    });
}

// The file is written whole: the frames go to memory first and only a complete save replaces the
// file (through a temporary file renamed over it). Nothing to save writes nothing.
template <class Encode>
void TImagoMIO::SaveFile(const std::string& FileName, Encode&& EncodeStream) {
    FAborting = false;
    TMemoryStream data;
    EncodeStream(static_cast<TStream*>(&data));
    if (FAborting || data.GetSize() == 0) return;
    const std::string_view bytes(static_cast<const char*>(data.GetMemory()), size_t(data.GetSize()));
    if (!WriteFileAtomically(FileName, bytes))
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {FileName, std::strerror(errno)}));
}

void TImagoMIO::SaveGIFFrames(const std::string& FileName) {
    SaveFile(FileName, [this](TStream* s) { SaveGIFFramesToStream(s); });
}

void TImagoMIO::SaveTIFFPages(const std::string& FileName) {
    SaveFile(FileName, [this](TStream* s) { SaveTIFFPagesToStream(s); });
}

// ---- AVI -------------------------------------------------------------------------------------

namespace {

// The sample layout a frame of Bits bits per pixel is described by.
void SetSampleLayout(TIOParamsVals& Params, Integer Bits) {
    switch (Bits) {
        case 1:
        case 4:
        case 8:
            Params.BitsPerSample = Bits;
            Params.SamplesPerPixel = 1;
            break;
        case 15:
            Params.BitsPerSample = 5;
            Params.SamplesPerPixel = 3;
            break;
        default: Params.BitsPerSample = 8; Params.SamplesPerPixel = 3;
    }
}

}  // namespace

void TImagoMIO::LoadAVIFrames(const std::string& FileName) {
    FAborting = false;
    if (!FAttachedMView) return;
    std::unique_ptr<TFileStream> stream;
    try {
        stream = std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
    } catch (const EStreamError&) {
        FAborting = true;
        return;
    }
    TAviReader reader;
    if (!reader.Open(stream.get())) {
        FAborting = true;
        return;
    }
    TAviFrameReader frames(reader);
    if (!frames.Supported()) {
        FAborting = true;
        return;
    }
    const Integer delay = reader.FrameDelay();
    LoadFrames([&](TBitmap* b, TIOParamsVals& p, Integer i, Integer, Integer& count) {
        count = reader.GetFrameCount();
        const Integer bits = count > 0 ? frames.GetFrame(i, b) : 0;
        if (count > 0 && bits == 0) FAborting = true;
        p.GIFDelayTime = delay;
        SetSampleLayout(p, bits);
        p.DpiX = ImgDefaultDpiX();
        p.DpiY = ImgDefaultDpiY();
        p.Width = b->GetWidth();
        p.Height = b->GetHeight();
        p.FileName = FileName;
        p.FileType = ioUnknown;
        p.FreePalette();
        return delay;
    });
}

void TImagoMIO::SaveAVIFrames(const std::string& FileName) {
    FAborting = false;
    if (!FAttachedMView || FAttachedMView->ImageCount() == 0) return;
    // The file is created (or found writable) before anything is asked.
    const bool existed = FileExists(FileName);
    try {
        TFileStream probe(FileName, existed ? fmOpenReadWrite : fmCreate);
    } catch (const EStreamError&) {
        throw EInvalidGraphic("unable to create AVI file");
    }
    // Each frame lasts the first image's delay (at least 1 ms), given exactly as a fraction of a
    // second in lowest terms.
    const Cardinal delay = Cardinal(std::max<Integer>(FAttachedMView->GetImageDelay(0), 1));
    const Cardinal divisor = std::gcd(delay, Cardinal(1000));
    const Integer width = FAttachedMView->GetImageWidth(0), height = FAttachedMView->GetImageHeight(0);
    TBitmap* first = FAttachedMView->GetImageBitmap(0);
    const Integer bits = first && first->GetPixelFormat() == pf1bit ? 1 : 24;
    FAttachedMView->ReleaseImageBitmap(0);

    TAviWriteOptions options;
    if (!AVISaveOptions(options)) return;
    TMemoryStream data;
    TAviWriter writer(&data, width, height, bits, delay / divisor, 1000 / divisor, options);
    const Integer count = FAttachedMView->ImageCount();
    Integer last = 0;
    for (Integer i = 0; i < count && !FAborting; ++i) {
        // An image of another size than the first repeats the last one written.
        const bool sameSize = FAttachedMView->GetImageWidth(i) == width && FAttachedMView->GetImageHeight(i) == height;
        const Integer source = sameSize ? i : last;
        if (!writer.AddFrame(FAttachedMView->GetImageBitmap(source))) FAborting = true;
        FAttachedMView->ReleaseImageBitmap(source);
        last = source;
        Progress(Integer(Int64(i) * 100 / count));
    }
    if (FAborting) {
        if (!existed) DeleteFile(FileName);
        return;
    }
    writer.Finish();
    const std::string_view bytes(static_cast<const char*>(data.GetMemory()), size_t(data.GetSize()));
    if (!WriteFileAtomically(FileName, bytes)) throw EInvalidGraphic("unable to create AVI file");
}
