#pragma once
// A tiny image format for the I/O component's tests, and fake codecs built on it that the tests
// put into the codec table in place of the library's own: they let the tests see what a codec is
// handed and give round trips whatever codecs this build has.
//
// The format: a four-byte magic, the width and height (32 bits, little-endian), then the rows of
// 24-bit pixels without padding. Each fake knows its own magic and refuses other data by setting
// the aborting flag, as a real codec would.

#include <cstring>
#include <string>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/codec_table.h"
#include "imaging/formats/format_registry.h"
#include "imaging/formats/io_params.h"
#include "imaging/tests/image_fixture.h"

namespace fake {

// What the last fake codec call was handed.
struct TCall {
    int Calls = 0;
    Int64 Length = -1;
    bool ParamsOnly = false;
    bool HadProgressEvent = false;
    TObject* Sender = nullptr;
    TBitmap* Bitmap = nullptr;
    Int64 Position = -1;
};
inline TCall& Last() {
    static TCall call;
    return call;
}

// The resolution the fake readers report.
constexpr Integer kDpi = 72;

inline void Note(TStream* Stream, TBitmap* Bitmap, const TProgressRec& Progress, bool ParamsOnly,
                 Int64 Length = -1) {
    TCall& c = Last();
    ++c.Calls;
    c.Length = Length;
    c.ParamsOnly = ParamsOnly;
    c.HadProgressEvent = bool(Progress.OnProgress);
    c.Sender = Progress.Sender;
    c.Bitmap = Bitmap;
    c.Position = Stream ? Stream->GetPosition() : -1;
}

inline void PutLE32(TStream* s, Cardinal v) {
    Byte b[4] = {Byte(v), Byte(v >> 8), Byte(v >> 16), Byte(v >> 24)};
    s->WriteBuffer(b, 4);
}

inline void WriteImage(const char* Magic, TStream* Stream, TBitmap* Bitmap) {
    Stream->WriteBuffer(Magic, 4);
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    PutLE32(Stream, Cardinal(w));
    PutLE32(Stream, Cardinal(h));
    for (Integer y = 0; y < h; ++y) Stream->WriteBuffer(Bitmap->ScanLine(y), Int64(w) * 3);
}

inline void Encode(const char* Magic, TStream* Stream, TBitmap* Bitmap, TProgressRec& Progress) {
    Note(Stream, Bitmap, Progress, false);
    WriteImage(Magic, Stream, Bitmap);
}

// Reads one image; reports a row at a time and stops when the aborting flag is set.
inline void Decode(const char* Magic, TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params,
                   TProgressRec& Progress, bool ParamsOnly, Int64 Length = -1) {
    Note(Stream, Bitmap, Progress, ParamsOnly, Length);
    Byte head[12] = {};
    if (Stream->Read(head, 12) != 12 || std::memcmp(head, Magic, 4) != 0) {
        Progress.Abort();
        return;
    }
    auto le32 = [&](int at) {
        return Integer(head[at] | (head[at + 1] << 8) | (head[at + 2] << 16) | (head[at + 3] << 24));
    };
    const Integer w = le32(4), h = le32(8);
    Params.Width = w;
    Params.Height = h;
    Params.DpiX = Params.DpiY = kDpi;
    if (ParamsOnly) return;
    Bitmap->SetPixelFormat(pf24bit);
    Bitmap->SetSize(w, h);
    Progress.Factor = h ? 100.0 / h : 0;
    for (Integer y = 0; y < h; ++y) {
        if (Progress.IsAborting()) return;
        if (Stream->Read(Bitmap->ScanLine(y), Int64(w) * 3) != Int64(w) * 3) {
            Progress.Abort();
            return;
        }
        Progress.Step();
    }
}

// Fakes with the signatures of the codec table.
inline void TIFFDecode(TBitmap* Bitmap, TStream* Stream, Integer& PageCount, TIOParamsVals* Params,
                       TProgressRec& Progress, bool ParamsOnly) {
    PageCount = 1;
    Decode("II*\0", Stream, Bitmap, *Params, Progress, ParamsOnly);
}
inline Integer TIFFEncode(TStream* Stream, bool, TBitmap* Bitmap, TIOParamsVals&, TProgressRec& Progress) {
    Encode("II*\0", Stream, Bitmap, Progress);
    return 1;
}
inline void JPEGDecode(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress,
                       bool ParamsOnly) {
    Decode("\xFF\xD8\xFF\xE0", Stream, Bitmap, Params, Progress, ParamsOnly);
}
inline void JPEGEncode(TStream* Stream, TBitmap* Bitmap, TIOParamsVals&, TProgressRec& Progress) {
    Encode("\xFF\xD8\xFF\xE0", Stream, Bitmap, Progress);
}
inline void PCXDecode(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, Int64 Length,
                      TProgressRec& Progress, bool ParamsOnly) {
    Decode("\x0A\x05\x01\x08", Stream, Bitmap, Params, Progress, ParamsOnly, Length);
}
inline void PCXDecodeFile(const std::string& FileName, TBitmap* Bitmap, TIOParamsVals& Params,
                          TProgressRec& Progress) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    PCXDecode(&stream, Bitmap, Params, stream.GetSize(), Progress, false);
}
inline void PCXEncode(TStream* Stream, TBitmap* Bitmap, TIOParamsVals&, TProgressRec& Progress) {
    Encode("\x0A\x05\x01\x08", Stream, Bitmap, Progress);
}
// A PCX writer that fails after writing part of its data.
inline void PCXEncodeFailing(TStream* Stream, TBitmap* Bitmap, TIOParamsVals&, TProgressRec& Progress) {
    Stream->WriteBuffer("\x0A\x05", 2);
    Progress.Abort();
}
inline void BMPDecode(TStream* Stream, TBitmap* Bitmap, Int64 Length, TIOParamsVals& Params,
                      TProgressRec& Progress, bool ParamsOnly) {
    Decode("BMfk", Stream, Bitmap, Params, Progress, ParamsOnly, Length);
}
inline void TGADecode(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                      TProgressRec& Progress) {
    Decode("TGAf", Stream, Bitmap, Params, Progress, ParamsOnly);
}

// Puts the fakes into the codec table and gives the table and the format registry back as they
// were when it goes out of scope.
class TFakeCodecs {
public:
    TFakeCodecs() : saved_(ImgCodecs()) {
        Last() = TCall();
        TImgCodecTable& t = ImgCodecs();
        t.TIFFDecodeStream = &TIFFDecode;
        t.TIFFEncodeStream = &TIFFEncode;
        t.JPEGDecodeStream = &JPEGDecode;
        t.JPEGEncodeStream = &JPEGEncode;
        t.PCXDecodeStream = &PCXDecode;
        t.PCXDecodeFile = &PCXDecodeFile;
        t.PCXEncodeStream = &PCXEncode;
        t.BMPDecodeStream = &BMPDecode;
        t.TGADecodeStream = &TGADecode;
    }
    ~TFakeCodecs() {
        ImgCodecs() = saved_;
        FreeFormatRegistry();
        RegisterBuiltinFormats();
    }
    TFakeCodecs(const TFakeCodecs&) = delete;
    TFakeCodecs& operator=(const TFakeCodecs&) = delete;

private:
    TImgCodecTable saved_;
};

// The fake format's bytes for a bitmap.
inline std::string Bytes(const char* Magic, TBitmap* Bitmap) {
    TMemoryStream s;
    WriteImage(Magic, &s, Bitmap);
    return std::string(static_cast<const char*>(s.GetMemory()), size_t(s.GetSize()));
}

}  // namespace fake
