#include "imaging/formats/png_codec.h"

// The PNG reader and writer: an adapter over the installed libpng. The library reads and writes
// through the stream; its errors leave the library call with a long jump to png_jmpbuf. Every
// library call runs inside PngGuard, whose frame (and the frames the jump passes over: the
// library's and our callbacks') holds no object with a destructor. Exceptions the stream raises
// are caught in the callbacks, turned into a library error, and raised again once the library
// structures are destroyed.
//
// Images arrive as 1-bit rows (grey or two-colour palette images of depth 1 without
// transparency) or as 24-bit blue-green-red rows; transparent pixels are composed onto the
// background here, with the library's rounding and no gamma correction. With a reducing box in
// the parameters the rows are averaged into blocks as they arrive, so a large picture is never
// held at full size.

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "framework/exceptions.h"
#include "imaging/bitmap_routines.h"
#include "imaging/formats/codec_support.h"
#include "imaging/quantizer.h"
#include "imaging/resample.h"

namespace {

// What the library's callbacks reach through its io and error pointers.
struct TPngContext {
    TStream* Stream = nullptr;
    bool* Aborting = nullptr;  // set on a reading error
    bool Failed = false;
    std::exception_ptr Thrown;
};

TPngContext* ContextOf(png_structp Png) { return static_cast<TPngContext*>(png_get_error_ptr(Png)); }

[[noreturn]] void PngError(png_structp Png, png_const_charp) {
    TPngContext* ctx = ContextOf(Png);
    ctx->Failed = true;
    if (ctx->Aborting) *ctx->Aborting = true;
    png_longjmp(Png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp Png, png_bytep Data, size_t Length) {
    auto* ctx = static_cast<TPngContext*>(png_get_io_ptr(Png));
    Int64 got = 0;
    bool thrown = false;
    try {
        got = ctx->Stream->Read(Data, Int64(Length));
    } catch (...) {
        ctx->Thrown = std::current_exception();
        thrown = true;
    }
    if (thrown || got != Int64(Length)) png_error(Png, "Read error");
}

void PngWrite(png_structp Png, png_bytep Data, size_t Length) {
    auto* ctx = static_cast<TPngContext*>(png_get_io_ptr(Png));
    Int64 written = 0;
    bool thrown = false;
    try {
        written = ctx->Stream->Write(Data, Int64(Length));
    } catch (...) {
        ctx->Thrown = std::current_exception();
        thrown = true;
    }
    if (thrown || written != Int64(Length)) png_error(Png, "Write error");
}

void PngFlush(png_structp) {}

// Runs Step (a few library calls); false when the library stopped it with an error. Step must
// not create objects with destructors around a library call.
template <class TStep>
[[gnu::noinline]] bool PngGuard(png_structp Png, TStep&& Step) {
    if (setjmp(png_jmpbuf(Png))) return false;
    Step();
    return true;
}

// Pixels per metre <-> pixels per inch, rounded to the nearest with halves to even.
Integer DpiFromPixelsPerMetre(png_uint_32 Ppm) { return Integer(std::nearbyint(Ppm / 100.0 * 2.54)); }
png_uint_32 PixelsPerMetreFromDpi(Integer Dpi) { return png_uint_32(std::nearbyint(Dpi * 100 / 2.54)); }

// Where pass P of the seven-pass interlace puts its pixels: rows RowStart + k * RowStep,
// columns ColStart + k * ColStep.
constexpr Integer kRowStart[7] = {0, 0, 4, 0, 2, 0, 1};
constexpr Integer kRowStep[7] = {8, 8, 8, 4, 4, 2, 2};
constexpr Integer kColStart[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr Integer kColStep[7] = {8, 8, 4, 4, 2, 2, 1};

// The library's compositing of one channel at gamma 1.0.
inline Byte Compose(unsigned Fore, unsigned Alpha, unsigned Back) {
    const unsigned t = Fore * Alpha + Back * (255 - Alpha) + 128;
    return Byte((t + (t >> 8)) >> 8);
}

// Composes the pixels X0, X0 + Step, ... of a blue-green-red-alpha row onto Back.
void ComposeRow(const png_byte* Source, TImgRGB* Dest, Integer Width, Integer X0, Integer Step,
                const TImgRGB& Back) {
    for (Integer x = X0; x < Width; x += Step) {
        const png_byte* p = Source + size_t(x) * 4;
        const unsigned a = p[3];
        Dest[x].b = Compose(p[0], a, Back.b);
        Dest[x].g = Compose(p[1], a, Back.g);
        Dest[x].r = Compose(p[2], a, Back.r);
    }
}

// The factor a Width x Height picture is reduced by for the box BoxW x BoxH: the largest that
// keeps it at least twice the size it takes fitted into the box; 1 when there is no box or the
// picture is already that small.
Integer ReduceFactor(png_uint_32 Width, png_uint_32 Height, Integer BoxW, Integer BoxH) {
    if (BoxW < 1 || BoxH < 1 || Width == 0 || Height == 0) return 1;
    const double scale = std::min(double(BoxW) / Width, double(BoxH) / Height);
    const double fitW = std::max(1.0, std::round(Width * scale)), fitH = std::max(1.0, std::round(Height * scale));
    const double factor = std::floor(std::min(Width / (2 * fitW), Height / (2 * fitH)));
    return factor >= 2 ? Integer(factor) : 1;
}

// The file's background colour as 8-bit values: a palette entry, a grey level scaled from the
// image's depth, or the high bytes of 16-bit samples.
bool FileBackground(png_structp Png, png_infop Info, Integer Depth, Integer ColorType,
                    const std::vector<TImgRGB>& Palette, TImgRGB& Out) {
    png_color_16p bg = nullptr;
    if (!png_get_bKGD(Png, Info, &bg) || !bg) return false;
    auto level = [&](unsigned v) -> Byte {
        if (Depth == 16) return Byte(v >> 8);
        if (Depth == 8) return Byte(v);
        const unsigned max = (1u << Depth) - 1;
        return Byte((v & max) * 255 / max);
    };
    if (ColorType == PNG_COLOR_TYPE_PALETTE) {
        if (bg->index >= Palette.size()) return false;
        Out = Palette[bg->index];
    } else if ((ColorType & PNG_COLOR_MASK_COLOR) == 0) {
        const Byte g = level(bg->gray);
        Out = ImgRGB(g, g, g);
    } else {
        Out = ImgRGB(level(bg->red), level(bg->green), level(bg->blue));
    }
    return true;
}

// A made read structure and its info structure, destroyed together.
struct TPngReadState {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    ~TPngReadState() {
        if (Png) png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr);
    }
};

struct TPngWriteState {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    ~TPngWriteState() {
        if (Png) png_destroy_write_struct(&Png, Info ? &Info : nullptr);
    }
};

[[noreturn]] void RaiseCreatingError() { throw EInvalidGraphic("Error on creating PNG"); }

}  // namespace

bool IsPNGStream(TStream* Stream) {
    const Int64 start = Stream->GetPosition();
    png_byte b[8] = {};
    const Int64 got = Stream->Read(b, 8);
    Stream->SetPosition(start);
    return got == 8 && png_sig_cmp(b, 0, 8) == 0;
}

void PNGDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params,
                     TProgressRec& Progress, bool ParamsOnly) {
    TPngContext ctx;
    ctx.Stream = Stream;
    ctx.Aborting = Progress.Aborting;
    TPngReadState s;
    s.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, PngError, PngWarning);
    if (s.Png) s.Info = png_create_info_struct(s.Png);
    if (!s.Png || !s.Info) {
        Progress.Abort();
        return;
    }
    png_structp png = s.Png;
    png_infop info = s.Info;
    png_set_read_fn(png, &ctx, PngRead);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    bool ok = PngGuard(png, [&] {
        png_read_info(png, info);
        png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    });
    if (!ok) {
        Progress.Abort();
        if (ctx.Thrown) std::rethrow_exception(ctx.Thrown);
        return;
    }

    const Integer reduce = interlace == PNG_INTERLACE_NONE
                               ? ReduceFactor(width, height, Params.PNGReduceWidth, Params.PNGReduceHeight)
                               : 1;
    Params.Width = Integer(width);
    Params.Height = Integer(height);
    Params.BitsPerSample = depth;
    switch (colorType) {
    case PNG_COLOR_TYPE_RGB: Params.SamplesPerPixel = 3; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: Params.SamplesPerPixel = 2; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: Params.SamplesPerPixel = 4; break;
    default: Params.SamplesPerPixel = 1; break;  // grey, palette
    }
    Params.DpiX = DpiFromPixelsPerMetre(png_get_x_pixels_per_meter(png, info));
    Params.DpiY = DpiFromPixelsPerMetre(png_get_y_pixels_per_meter(png, info));
    if (Params.DpiX == 0) Params.DpiX = ImgDefaultDpiX();
    if (Params.DpiY == 0) Params.DpiY = ImgDefaultDpiY();
    Params.FreePalette();
    png_colorp plte = nullptr;
    int plteCount = 0;
    if (colorType == PNG_COLOR_TYPE_PALETTE && png_get_PLTE(png, info, &plte, &plteCount) && plte) {
        for (int i = 0; i < plteCount; ++i)
            Params.Palette.push_back(ImgRGB(plte[i].red, plte[i].green, plte[i].blue));
    }
    Params.PNGInterlaced = interlace != PNG_INTERLACE_NONE;
    TImgRGB fileBack;
    if (FileBackground(png, info, depth, colorType, Params.Palette, fileBack)) Params.PNGBackground = fileBack;
    if (ParamsOnly) return;

    // Depth 1 without transparency stays 1-bit; everything else becomes blue, green, red, with an
    // alpha channel to compose when the image has transparency.
    const bool transparent = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS);
    const bool oneBit = depth == 1 && !transparent && reduce == 1;
    const bool whiteBlack = oneBit && Params.Palette.size() == 2 &&
                            Params.Palette[0] == ImgRGB(255, 255, 255) && Params.Palette[1] == ImgRGB(0, 0, 0);
    const TImgRGB back = Params.PNGBackground;
    Integer passes = 1;
    ok = PngGuard(png, [&] {
        if (!oneBit) {
            if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
            if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
            if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
            if (depth == 16) png_set_strip_16(png);
            if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
            png_set_bgr(png);
        }
        passes = png_set_interlace_handling(png);
        png_read_update_info(png, info);
    });
    const size_t rowBytes = ok ? png_get_rowbytes(png, info) : 0;
    const size_t pixelBytes = transparent ? 4 : 3;
    if (ok && ((!oneBit && rowBytes != size_t(width) * pixelBytes) || !ImgCodecSizeOK(width, height))) {
        // The library would hand out rows of another layout than asked for, or the image is
        // larger than any bitmap a reader makes.
        ok = false;
        Progress.Abort();
    }
    if (ok && reduce > 1) {
        // Each row goes from the library (composed when transparent) straight into the blocks.
        TBlockShrinker shrinker(Bitmap, Integer(width), Integer(height), reduce);
        Progress.Factor = 100.0 / double(height);
        Progress.Done = 0;
        std::vector<png_byte> row(rowBytes);
        std::vector<TImgRGB> composed(transparent ? size_t(width) : 0);
        const TImgRGB* rgb = transparent ? composed.data() : reinterpret_cast<const TImgRGB*>(row.data());
        ok = PngGuard(png, [&] {
            for (Integer y = 0; y < Integer(height) && !Progress.IsAborting(); ++y) {
                png_read_row(png, row.data(), nullptr);
                if (transparent) ComposeRow(row.data(), composed.data(), Integer(width), 0, 1, back);
                shrinker.AddRow(rgb);
                Progress.Step();
            }
            if (!Progress.IsAborting()) png_read_end(png, nullptr);
        });
    } else if (ok) {
        ImgPrepareBitmap(Bitmap, oneBit ? pf1bit : pf24bit, Integer(width), Integer(height));
        Progress.Factor = height ? 100.0 / (double(height) * passes) : 0;
        Progress.Done = 0;
        std::vector<png_byte> alphaRow(transparent ? rowBytes : 0);
        ok = PngGuard(png, [&] {
            for (Integer pass = 0; pass < passes && !Progress.IsAborting(); ++pass) {
                for (Integer y = 0; y < Integer(height) && !Progress.IsAborting(); ++y) {
                    auto* line = static_cast<png_bytep>(Bitmap->ScanLine(y));
                    if (!transparent) {
                        png_read_row(png, line, nullptr);
                    } else {
                        png_read_row(png, alphaRow.data(), nullptr);
                        if (passes == 1)
                            ComposeRow(alphaRow.data(), reinterpret_cast<TImgRGB*>(line), Integer(width), 0, 1, back);
                        else if (y >= kRowStart[pass] && (y - kRowStart[pass]) % kRowStep[pass] == 0)
                            ComposeRow(alphaRow.data(), reinterpret_cast<TImgRGB*>(line), Integer(width),
                                       kColStart[pass], kColStep[pass], back);
                    }
                    Progress.Step();
                }
            }
            if (!Progress.IsAborting()) png_read_end(png, nullptr);
        });
        // The library shows a set bit white: a white-then-black palette is shown the right way
        // round by inverting the bits.
        if (whiteBlack) InvertBitmap1Bit(Bitmap);
    }
    if (ctx.Failed) Progress.Abort();
    if (ctx.Thrown) std::rethrow_exception(ctx.Thrown);
}

void PNGEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    TPngContext ctx;
    ctx.Stream = Stream;
    TPngWriteState s;
    s.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &ctx, PngError, PngWarning);
    if (s.Png) s.Info = png_create_info_struct(s.Png);
    if (!s.Png || !s.Info) RaiseCreatingError();
    png_structp png = s.Png;
    png_infop info = s.Info;
    png_set_write_fn(png, &ctx, PngWrite, PngFlush);

    // The working bitmap: 1-bit for BitsPerSample 1 (the two colours of a two-colour image, else
    // a dithered copy), quantized to a 256-entry palette for one sample per pixel, 24-bit
    // otherwise. A 1-bit working bitmap is written as 1-bit grey, whatever SamplesPerPixel says.
    // An empty bitmap is refused as the library would refuse its header.
    if (Bitmap->GetWidth() <= 0 || Bitmap->GetHeight() <= 0) RaiseCreatingError();
    const bool grey1 = Params.BitsPerSample == 1;
    const bool palette = !grey1 && Params.SamplesPerPixel == 1;
    TImgWriteSource source(Bitmap, grey1 ? 1 : (palette ? 8 : 24));
    TBitmap* work = source.Bitmap;
    const Integer width = work->GetWidth();
    const Integer height = work->GetHeight();
    png_color plte[256] = {};
    std::vector<png_byte> indexRow;
    if (palette) {
        for (size_t i = 0; i < source.Palette.size() && i < 256; ++i)
            plte[i] = png_color{source.Palette[i].r, source.Palette[i].g, source.Palette[i].b};
        indexRow.resize(size_t(width));
    }
    const TImgRGB back = Params.PNGBackground;
    png_color_16 bkgd{};
    if (palette) {
        bkgd.index = png_byte(source.Quantizer->RGBToIndex(ImgPackRGB(back)));
    } else if (!grey1) {
        bkgd.red = back.r;
        bkgd.green = back.g;
        bkgd.blue = back.b;
    }

    Integer passes = 1;
    bool ok = PngGuard(png, [&] {
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), grey1 ? 1 : 8,
                     grey1 ? PNG_COLOR_TYPE_GRAY : (palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB),
                     Params.PNGInterlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (palette) png_set_PLTE(png, info, plte, 256);
        if (Params.DpiX > 0 && Params.DpiY > 0)
            png_set_pHYs(png, info, PixelsPerMetreFromDpi(Params.DpiX), PixelsPerMetreFromDpi(Params.DpiY),
                         PNG_RESOLUTION_METER);
        switch (Params.PNGFilter) {
        case ioPNG_FILTER_NONE: png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE); break;
        case ioPNG_FILTER_SUB: png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB); break;
        case ioPNG_FILTER_PAETH: png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH); break;
        default: break;
        }
        png_set_bKGD(png, info, &bkgd);
        png_set_compression_level(png, ImgIntLimit(Params.PNGCompression, 0, 9));
        png_set_bgr(png);
        png_write_info(png, info);
        passes = png_set_interlace_handling(png);
    });
    if (ok) {
        Progress.Factor = height ? 100.0 / (double(height) * passes) : 0;
        Progress.Done = 0;
        ok = PngGuard(png, [&] {
            for (Integer pass = 0; pass < passes && !Progress.IsAborting(); ++pass) {
                for (Integer y = 0; y < height && !Progress.IsAborting(); ++y) {
                    auto* line = static_cast<png_bytep>(work->ScanLine(y));
                    if (palette) {
                        ConvertRowDepth(line, indexRow.data(), 24, 8, width, source.Palette.data(),
                                        source.Quantizer.get());
                        line = indexRow.data();
                    }
                    png_write_row(png, line);
                    Progress.Step();
                }
            }
            if (!Progress.IsAborting()) png_write_end(png, nullptr);
        });
    }
    if (ctx.Thrown) std::rethrow_exception(ctx.Thrown);
    if (!ok) RaiseCreatingError();
}
