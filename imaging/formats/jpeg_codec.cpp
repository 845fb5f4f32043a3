#include "imaging/formats/jpeg_codec.h"

// The JPEG reader and writer: an adapter over the installed libjpeg. The library reads from and
// writes to the stream through our own source and destination managers; its fatal errors set the
// caller's aborting flag and leave the library call with a long jump. Every library call runs
// inside JpegGuard, whose frame (and the frames the jump passes over: the library's and our
// callbacks') holds no object with a destructor. Exceptions the stream raises are caught in the
// callbacks, turned into a library error, and raised again once the library object is destroyed.

#include <csetjmp>
#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "imaging/bitmap_routines.h"
#include "imaging/formats/codec_support.h"

#if !defined(JCS_EXTENSIONS)
#error "the JPEG library must offer blue-green-red rows (JCS_EXT_BGR)"
#endif

namespace {

constexpr size_t kStreamBufferSize = 65536;
// Rows asked of the library per call: it hands back what it has, up to this many.
constexpr Integer kRowBatch = 16;

// The error manager: the library's table with our routines, the flag to set on a fatal error
// (null once errors are to be ignored) and where to jump back to.
struct TJpegError {
    jpeg_error_mgr Mgr{};
    bool* Aborting = nullptr;
    bool Failed = false;
    std::jmp_buf Jump;
};

TJpegError* ErrorOf(j_common_ptr Info) { return reinterpret_cast<TJpegError*>(Info->err); }

[[noreturn]] void JpegErrorExit(j_common_ptr Info) {
    TJpegError* err = ErrorOf(Info);
    err->Failed = true;
    if (err->Aborting) *err->Aborting = true;
    std::longjmp(err->Jump, 1);
}

// Warnings and traces are not reported.
void JpegEmitMessage(j_common_ptr, int) {}
void JpegOutputMessage(j_common_ptr) {}
void JpegFormatMessage(j_common_ptr, char* Buffer) { Buffer[0] = 0; }
void JpegResetError(j_common_ptr Info) {
    Info->err->msg_code = 0;
    Info->err->num_warnings = 0;
}

void InstallErrorManager(TJpegError& Err, bool* Aborting) {
    jpeg_std_error(&Err.Mgr);
    Err.Mgr.error_exit = JpegErrorExit;
    Err.Mgr.emit_message = JpegEmitMessage;
    Err.Mgr.output_message = JpegOutputMessage;
    Err.Mgr.format_message = JpegFormatMessage;
    Err.Mgr.reset_error_mgr = JpegResetError;
    Err.Aborting = Aborting;
}

// Runs Step (a few library calls); false when the library stopped it with a fatal error. Step
// must not create objects with destructors around a library call.
template <class TStep>
[[gnu::noinline]] bool JpegGuard(TJpegError& Err, TStep&& Step) {
    if (setjmp(Err.Jump)) return false;
    Step();
    return true;
}

// ---- source: the library reads the stream ------------------------------------------------------

struct TJpegSource {
    jpeg_source_mgr Mgr{};
    TStream* Stream = nullptr;
    JOCTET* Buffer = nullptr;
    bool StartOfFile = true;
    std::exception_ptr* Thrown = nullptr;
};

TJpegSource* SourceOf(j_decompress_ptr Info) { return reinterpret_cast<TJpegSource*>(Info->src); }

void SourceInit(j_decompress_ptr Info) { SourceOf(Info)->StartOfFile = true; }

boolean SourceFill(j_decompress_ptr Info) {
    TJpegSource* src = SourceOf(Info);
    Int64 got = 0;
    bool thrown = false;
    try {
        got = src->Stream->Read(src->Buffer, Int64(kStreamBufferSize));
    } catch (...) {
        *src->Thrown = std::current_exception();
        thrown = true;
    }
    if (thrown) ERREXIT(Info, JERR_FILE_READ);
    if (got <= 0) {
        if (src->StartOfFile) ERREXIT(Info, JERR_INPUT_EMPTY);
        // A premature end: the data ends with an inserted end-of-image marker, as a warning.
        WARNMS(Info, JWRN_JPEG_EOF);
        src->Buffer[0] = 0xFF;
        src->Buffer[1] = JPEG_EOI;
        got = 2;
    }
    src->Mgr.next_input_byte = src->Buffer;
    src->Mgr.bytes_in_buffer = size_t(got);
    src->StartOfFile = false;
    return TRUE;
}

void SourceSkip(j_decompress_ptr Info, long Count) {
    TJpegSource* src = SourceOf(Info);
    if (Count <= 0) return;
    while (size_t(Count) > src->Mgr.bytes_in_buffer) {
        Count -= long(src->Mgr.bytes_in_buffer);
        SourceFill(Info);
    }
    src->Mgr.next_input_byte += Count;
    src->Mgr.bytes_in_buffer -= size_t(Count);
}

// At the end of the image the bytes read ahead go back, so the stream stands after the image.
void SourceTerm(j_decompress_ptr Info) {
    TJpegSource* src = SourceOf(Info);
    if (src->Mgr.bytes_in_buffer == 0) return;
    try {
        src->Stream->Seek(-Int64(src->Mgr.bytes_in_buffer), soCurrent);
        src->Mgr.bytes_in_buffer = 0;
    } catch (...) {
        *src->Thrown = std::current_exception();
    }
}

// ---- destination: the library writes the stream -------------------------------------------------

struct TJpegDestination {
    jpeg_destination_mgr Mgr{};
    TStream* Stream = nullptr;
    JOCTET* Buffer = nullptr;
    std::exception_ptr* Thrown = nullptr;
};

TJpegDestination* DestinationOf(j_compress_ptr Info) {
    return reinterpret_cast<TJpegDestination*>(Info->dest);
}

void DestinationInit(j_compress_ptr Info) {
    TJpegDestination* dest = DestinationOf(Info);
    dest->Mgr.next_output_byte = dest->Buffer;
    dest->Mgr.free_in_buffer = kStreamBufferSize;
}

// Writes Count bytes of the buffer; a short write or an exception is a fatal error.
void DestinationWrite(j_compress_ptr Info, size_t Count) {
    TJpegDestination* dest = DestinationOf(Info);
    Int64 written = 0;
    bool thrown = false;
    try {
        written = dest->Stream->Write(dest->Buffer, Int64(Count));
    } catch (...) {
        *dest->Thrown = std::current_exception();
        thrown = true;
    }
    if (thrown || written != Int64(Count)) ERREXIT(Info, JERR_FILE_WRITE);
}

boolean DestinationEmpty(j_compress_ptr Info) {
    DestinationWrite(Info, kStreamBufferSize);
    DestinationInit(Info);
    return TRUE;
}

void DestinationTerm(j_compress_ptr Info) {
    TJpegDestination* dest = DestinationOf(Info);
    const size_t count = kStreamBufferSize - dest->Mgr.free_in_buffer;
    if (count > 0) DestinationWrite(Info, count);
}

// ---- shared settings ---------------------------------------------------------------------------

bool DctMethodOf(Byte Method, J_DCT_METHOD& Out) {
    switch (Method) {
    case ioJPEG_ISLOW: Out = JDCT_ISLOW; return true;
    case ioJPEG_IFAST: Out = JDCT_IFAST; return true;
    case ioJPEG_FLOAT: Out = JDCT_FLOAT; return true;
    default: return false;
    }
}

// The scale denominator JPEGScale asks for: 1, 2, 4 or 8; for automatic scaling the one whose
// size comes nearest to Width x Height (a later one must be strictly nearer); 0 for values that
// keep the library's default.
unsigned ScaleDenominator(const TIOParamsVals& Params, JDIMENSION ImageWidth, JDIMENSION ImageHeight) {
    switch (Params.JPEGScale) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 4;
    case 4: return 8;
    case 0: break;
    default: return 0;
    }
    const Int64 wanted = Int64(Params.Width) * Int64(Params.Height);
    if (wanted == 0) return 1;
    unsigned best = 1;
    Int64 bestDiff = -1;
    for (unsigned d : {1u, 2u, 4u, 8u}) {
        Int64 diff = wanted - Int64(ImageWidth / d) * Int64(ImageHeight / d);
        if (diff < 0) diff = -diff;
        if (bestDiff < 0 || diff < bestDiff) {
            best = d;
            bestDiff = diff;
        }
    }
    return best;
}

// Adobe-inverted CMYK (the values as stored) to blue, green, red.
void CMYKRowToBGR(const JSAMPLE* Source, TImgRGB* Dest, JDIMENSION Width) {
    for (JDIMENSION x = 0; x < Width; ++x, Source += 4) {
        const unsigned k = Source[3];
        Dest[x].b = Byte(Source[2] * k / 255);
        Dest[x].g = Byte(Source[1] * k / 255);
        Dest[x].r = Byte(Source[0] * k / 255);
    }
}

// Blue, green, red to Adobe-inverted CMYK: K' is the largest channel (1 for black).
void BGRRowToCMYK(const TImgRGB* Source, JSAMPLE* Dest, Integer Width) {
    for (Integer x = 0; x < Width; ++x, Dest += 4) {
        const TImgRGB p = Source[x];
        unsigned k = p.r;
        if (p.g > k) k = p.g;
        if (p.b > k) k = p.b;
        if (k == 0) k = 1;
        Dest[0] = JSAMPLE(p.r * 255u / k);
        Dest[1] = JSAMPLE(p.g * 255u / k);
        Dest[2] = JSAMPLE(p.b * 255u / k);
        Dest[3] = JSAMPLE(k);
    }
}

// ---- reading -----------------------------------------------------------------------------------

// Everything one decompression holds; the library object is destroyed with it.
struct TJpegReader {
    jpeg_decompress_struct Info{};
    TJpegError Err;
    TJpegSource Source;
    std::unique_ptr<JOCTET[]> Buffer{new JOCTET[kStreamBufferSize]};
    std::exception_ptr Thrown;

    TJpegReader(TStream* Stream, bool* Aborting) {
        InstallErrorManager(Err, Aborting);
        Info.err = &Err.Mgr;
        Source.Stream = Stream;
        Source.Buffer = Buffer.get();
        Source.Thrown = &Thrown;
        Source.Mgr.init_source = SourceInit;
        Source.Mgr.fill_input_buffer = SourceFill;
        Source.Mgr.skip_input_data = SourceSkip;
        Source.Mgr.resync_to_restart = jpeg_resync_to_restart;
        Source.Mgr.term_source = SourceTerm;
    }
    ~TJpegReader() { jpeg_destroy_decompress(&Info); }
    TJpegReader(const TJpegReader&) = delete;
    TJpegReader& operator=(const TJpegReader&) = delete;

    // The exception the stream raised, if any, goes on to the caller now.
    void PassThrown() {
        if (Thrown) {
            std::exception_ptr e = Thrown;
            Thrown = nullptr;
            std::rethrow_exception(e);
        }
    }
};

// The file's colour space chooses JPEGColorSpace and the rows the library hands out: blue, green,
// red for grey, RGB and YCbCr files, CMYK for CMYK and YCCK files. False for other colour spaces,
// whose rows cannot be shown.
bool ChooseOutput(jpeg_decompress_struct& Info, TIOParamsVals& Params) {
    switch (Info.jpeg_color_space) {
    case JCS_GRAYSCALE: Params.JPEGColorSpace = ioJPEG_GRAYLEV; Info.out_color_space = JCS_EXT_BGR; return true;
    case JCS_RGB: Params.JPEGColorSpace = ioJPEG_RGB; Info.out_color_space = JCS_EXT_BGR; return true;
    case JCS_YCbCr: Params.JPEGColorSpace = ioJPEG_YCbCr; Info.out_color_space = JCS_EXT_BGR; return true;
    case JCS_CMYK: Params.JPEGColorSpace = ioJPEG_CMYK; Info.out_color_space = JCS_CMYK; return true;
    case JCS_YCCK: Params.JPEGColorSpace = ioJPEG_YCbCrK; Info.out_color_space = JCS_CMYK; return true;
    default: return false;
    }
}

// The resolution the JFIF marker states; a file without one (or with a zero density) takes the
// default resolution.
void TakeDensity(const jpeg_decompress_struct& Info, TIOParamsVals& Params) {
    if (!Info.saw_JFIF_marker || Info.X_density == 0 || Info.Y_density == 0) {
        Params.DpiX = ImgDefaultDpiX();
        Params.DpiY = ImgDefaultDpiY();
        return;
    }
    switch (Info.density_unit) {
    case 0:
    case 1:
        Params.DpiX = Info.X_density;
        Params.DpiY = Info.Y_density;
        break;
    case 2:
        Params.DpiX = Integer(Info.X_density * 2.54);
        Params.DpiY = Integer(Info.Y_density * 2.54);
        break;
    default: break;
    }
}

// Decodes the rows into the bitmap, a batch at a time, counting each row; stops when the aborting
// flag is set. False when the library failed.
bool ReadRows(TJpegReader& R, TBitmap* Bitmap, TProgressRec& Progress) {
    jpeg_decompress_struct& info = R.Info;
    const JDIMENSION width = info.output_width;
    const JDIMENSION height = info.output_height;
    Byte* const top = static_cast<Byte*>(Bitmap->ScanLine(0));
    const ptrdiff_t step = height > 1 ? static_cast<Byte*>(Bitmap->ScanLine(1)) - top : 0;
    const bool cmyk = info.out_color_space == JCS_CMYK;
    std::vector<JSAMPLE> cmykRows(cmyk ? size_t(width) * 4 * kRowBatch : 0);
    JSAMPROW rows[kRowBatch];
    bool stalled = false;
    const bool ok = JpegGuard(R.Err, [&] {
        while (info.output_scanline < height && !Progress.IsAborting()) {
            const JDIMENSION first = info.output_scanline;
            const JDIMENSION want = JDIMENSION(ImgIntMin(kRowBatch, Integer(height - first)));
            for (JDIMENSION i = 0; i < want; ++i)
                rows[i] = cmyk ? cmykRows.data() + size_t(i) * width * 4 : top + ptrdiff_t(first + i) * step;
            const JDIMENSION got = jpeg_read_scanlines(&info, rows, want);
            if (got == 0) {
                stalled = true;
                return;
            }
            for (JDIMENSION i = 0; i < got && !Progress.IsAborting(); ++i) {
                if (cmyk) CMYKRowToBGR(rows[i], reinterpret_cast<TImgRGB*>(top + ptrdiff_t(first + i) * step), width);
                Progress.Step();
            }
        }
    });
    if (stalled) Progress.Abort();
    return ok && !stalled;
}

}  // namespace

bool IsJPEGStream(TStream* Stream) {
    const Int64 start = Stream->GetPosition();
    Byte b[3] = {0, 0, 0};
    const Int64 got = Stream->Read(b, 3);
    Stream->SetPosition(start);
    return got == 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}

void JPEGDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params,
                      TProgressRec& Progress, bool ParamsOnly) {
    if (!IsJPEGStream(Stream)) {
        Progress.Abort();
        return;
    }
    TJpegReader r(Stream, Progress.Aborting);
    jpeg_decompress_struct& info = r.Info;
    bool ok = JpegGuard(r.Err, [&] {
        jpeg_create_decompress(&info);
        info.src = &r.Source.Mgr;
        jpeg_read_header(&info, TRUE);
    });
    bool shown = ok;
    if (ok) {
        shown = ChooseOutput(info, Params);
        J_DCT_METHOD method;
        if (DctMethodOf(Params.JPEGDCTMethod, method)) info.dct_method = method;
        TakeDensity(info, Params);
        Params.BitsPerSample = 8;
        Params.SamplesPerPixel = 3;
        Params.FreePalette();
        Params.JPEGProgressive = info.progressive_mode != 0;
        if (const unsigned d = ScaleDenominator(Params, info.image_width, info.image_height)) {
            info.scale_num = 1;
            info.scale_denom = d;
        }
        // Reading the parameters needs only the output size, not the decoded data.
        ok = JpegGuard(r.Err, [&] {
            if (ParamsOnly)
                jpeg_calc_output_dimensions(&info);
            else
                jpeg_start_decompress(&info);
        });
    }
    if (ok) {
        Params.Width = Integer(info.output_width);
        Params.Height = Integer(info.output_height);
    }
    // Colour spaces that cannot be shown, and images larger than any bitmap a reader makes, are
    // refused.
    if (ok && (!shown || (!ParamsOnly && !ImgCodecSizeOK(info.output_width, info.output_height)))) {
        Progress.Abort();
        shown = false;
    }
    if (ok && shown && !ParamsOnly) {
        ImgPrepareBitmap(Bitmap, pf24bit, Integer(info.output_width), Integer(info.output_height));
        Progress.Factor = info.output_height ? 100.0 / info.output_height : 0;
        Progress.Done = 0;
        if (ReadRows(r, Bitmap, Progress) && !Progress.IsAborting()) {
            // Errors while finishing are ignored.
            r.Err.Aborting = nullptr;
            JpegGuard(r.Err, [&] { jpeg_finish_decompress(&info); });
        }
    }
    if (r.Err.Failed) Progress.Abort();
    r.PassThrown();
}

void JPEGEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    if (Progress.IsAborting()) return;
    // A 1-bit bitmap goes through a 24-bit copy.
    std::unique_ptr<TBitmap> expanded;
    TBitmap* source = Bitmap;
    if (Bitmap->GetPixelFormat() == pf1bit) {
        expanded.reset(new TBitmap());
        Expand1BitTo24Bit(Bitmap, expanded.get(), ImgSilentProgress());
        source = expanded.get();
    }
    const Integer width = source->GetWidth();
    const Integer height = source->GetHeight();

    struct TWriter {
        jpeg_compress_struct Info{};
        TJpegError Err;
        TJpegDestination Destination;
        std::unique_ptr<JOCTET[]> Buffer{new JOCTET[kStreamBufferSize]};
        std::exception_ptr Thrown;
        ~TWriter() { jpeg_destroy_compress(&Info); }
    } w;
    InstallErrorManager(w.Err, Progress.Aborting);
    w.Info.err = &w.Err.Mgr;
    w.Destination.Stream = Stream;
    w.Destination.Buffer = w.Buffer.get();
    w.Destination.Thrown = &w.Thrown;
    w.Destination.Mgr.init_destination = DestinationInit;
    w.Destination.Mgr.empty_output_buffer = DestinationEmpty;
    w.Destination.Mgr.term_destination = DestinationTerm;
    jpeg_compress_struct& info = w.Info;

    J_COLOR_SPACE fileSpace = JCS_RGB;
    bool cmykInput = false;
    switch (Params.JPEGColorSpace) {
    case ioJPEG_GRAYLEV: fileSpace = JCS_GRAYSCALE; break;
    case ioJPEG_YCbCr: fileSpace = JCS_YCbCr; break;
    case ioJPEG_CMYK: fileSpace = JCS_CMYK; cmykInput = true; break;
    case ioJPEG_YCbCrK: fileSpace = JCS_YCCK; cmykInput = true; break;
    default: break;
    }
    std::vector<JSAMPLE> cmykRow(cmykInput ? size_t(width) * 4 : 0);
    bool ok = JpegGuard(w.Err, [&] {
        jpeg_create_compress(&info);
        info.dest = &w.Destination.Mgr;
        info.image_width = JDIMENSION(width);
        info.image_height = JDIMENSION(height);
        // The library takes the bitmap's blue, green, red rows as they are.
        info.input_components = cmykInput ? 4 : 3;
        info.in_color_space = cmykInput ? JCS_CMYK : JCS_EXT_BGR;
        jpeg_set_defaults(&info);
        jpeg_set_colorspace(&info, fileSpace);
        info.density_unit = 1;
        info.X_density = UINT16(Params.DpiX);
        info.Y_density = UINT16(Params.DpiY);
        J_DCT_METHOD method;
        if (DctMethodOf(Params.JPEGDCTMethod, method)) info.dct_method = method;
        info.optimize_coding = Params.JPEGOptimalHuffman ? TRUE : FALSE;
        info.smoothing_factor = ImgIntLimit(Params.JPEGSmooth, 0, 100);
        jpeg_set_quality(&info, Params.JPEGQuality, TRUE);
        if (Params.JPEGProgressive) jpeg_simple_progression(&info);
        jpeg_start_compress(&info, TRUE);
    });
    if (ok && height > 0) {
        Progress.Factor = 100.0 / height;
        Progress.Done = 0;
        Byte* const top = static_cast<Byte*>(source->ScanLine(0));
        const ptrdiff_t step = height > 1 ? static_cast<Byte*>(source->ScanLine(1)) - top : 0;
        ok = JpegGuard(w.Err, [&] {
            while (info.next_scanline < info.image_height && !Progress.IsAborting()) {
                auto* line = reinterpret_cast<TImgRGB*>(top + ptrdiff_t(info.next_scanline) * step);
                JSAMPROW row = reinterpret_cast<JSAMPROW>(line);
                if (cmykInput) {
                    BGRRowToCMYK(line, cmykRow.data(), width);
                    row = cmykRow.data();
                }
                jpeg_write_scanlines(&info, &row, 1);
                Progress.Step();
            }
        });
    }
    if (ok && !Progress.IsAborting()) JpegGuard(w.Err, [&] { jpeg_finish_compress(&info); });
    if (w.Err.Failed) Progress.Abort();
    if (w.Thrown) std::rethrow_exception(w.Thrown);
}
