#pragma once
// Small writers of Windows and enhanced metafiles for tests, benchmarks, fuzz seeds and demos:
// records are appended as their stored fields, and Bytes() closes the file and fills in its
// header (sizes, record count, object count).

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/byte_order.h"
#include "framework/types.h"

namespace lumora_test {

class TWmfWriter {
public:
    // With Placeable, the placeable header with the bounding box (logical units) and Inch units per
    // inch; without, a plain metafile.
    explicit TWmfWriter(bool Placeable = true, TRect Box = TRect(0, 0, 100, 100), uint16_t Inch = 96)
        : FPlaceable(Placeable), FBox(Box), FInch(Inch) {}

    // A record of 16-bit parameters in stored order (the last parameter of the call first).
    void Rec(uint16_t Function, std::initializer_list<int> Params) {
        std::vector<uint8_t> b;
        for (int p : Params) Put16(b, uint16_t(p));
        Raw(Function, b);
    }
    // A record of raw parameter bytes (padded to whole words).
    void Raw(uint16_t Function, std::vector<uint8_t> Params) {
        if (Params.size() % 2) Params.push_back(0);
        std::vector<uint8_t> r;
        Put32(r, uint32_t(3 + Params.size() / 2));
        Put16(r, Function);
        r.insert(r.end(), Params.begin(), Params.end());
        FMaxRecord = std::max<uint32_t>(FMaxRecord, uint32_t(r.size() / 2));
        FRecords.insert(FRecords.end(), r.begin(), r.end());
    }
    // Helpers for the usual records.
    void WindowOrg(int X, int Y) { Rec(0x020B, {Y, X}); }
    void WindowExt(int W, int H) { Rec(0x020C, {H, W}); }
    void Pen(int Style, int Width, uint32_t Color) {
        Rec(0x02FA, {Style, Width, 0, int(Color & 0xFFFF), int(Color >> 16)});
        ++FObjects;
    }
    void Brush(int Style, uint32_t Color, int Hatch = 0) {
        Rec(0x02FC, {Style, int(Color & 0xFFFF), int(Color >> 16), Hatch});
        ++FObjects;
    }
    void Select(int Index) { Rec(0x012D, {Index}); }
    void Delete(int Index) { Rec(0x01F0, {Index}); }
    void Rectangle(int L, int T, int R, int B) { Rec(0x041B, {B, R, T, L}); }
    void Ellipse(int L, int T, int R, int B) { Rec(0x0418, {B, R, T, L}); }
    void MoveTo(int X, int Y) { Rec(0x0214, {Y, X}); }
    void LineTo(int X, int Y) { Rec(0x0213, {Y, X}); }
    void Poly(uint16_t Function, const std::vector<TPoint>& Points) {
        std::vector<uint8_t> b;
        Put16(b, uint16_t(Points.size()));
        for (const TPoint& p : Points) Put16(b, uint16_t(p.X)), Put16(b, uint16_t(p.Y));
        Raw(Function, b);
    }
    void Polygon(const std::vector<TPoint>& Points) { Poly(0x0324, Points); }
    void Polyline(const std::vector<TPoint>& Points) { Poly(0x0325, Points); }
    void SaveDC() { Rec(0x001E, {}); }
    void RestoreDC(int Which) { Rec(0x0127, {Which}); }
    void TextOut(int X, int Y, const std::string& Text) {
        std::vector<uint8_t> b;
        Put16(b, uint16_t(Text.size()));
        b.insert(b.end(), Text.begin(), Text.end());
        if (Text.size() % 2) b.push_back(0);
        Put16(b, uint16_t(Y));
        Put16(b, uint16_t(X));
        Raw(0x0521, b);
    }
    // A packed DIB stretched from all of it into the destination box.
    void StretchDib(int X, int Y, int W, int H, const std::vector<uint8_t>& Dib, int DibW, int DibH,
                    uint32_t Rop = 0x00CC0020) {
        std::vector<uint8_t> b;
        Put32(b, Rop);
        for (int v : {0, DibH, DibW, 0, 0, H, W, Y, X}) Put16(b, uint16_t(v));
        b.insert(b.end(), Dib.begin(), Dib.end());
        Raw(0x0F43, b);
    }
    // Object table entries the header declares beyond those counted by Pen and Brush.
    void ExtraObjects(int N) { FObjects += N; }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        if (FPlaceable) {
            Put32(out, 0x9AC6CDD7u);
            Put16(out, 0);
            for (int v : {FBox.Left, FBox.Top, FBox.Right, FBox.Bottom}) Put16(out, uint16_t(v));
            Put16(out, FInch);
            Put32(out, 0);
            uint16_t sum = 0;
            for (size_t i = 0; i < 20; i += 2) sum ^= LoadLE16(out.data() + i);
            Put16(out, sum);
        }
        const size_t words = 9 + FRecords.size() / 2 + 3;
        Put16(out, 1);
        Put16(out, 9);
        Put16(out, 0x0300);
        Put32(out, uint32_t(words));
        Put16(out, uint16_t(FObjects));
        Put32(out, std::max<uint32_t>(FMaxRecord, 3));
        Put16(out, 0);
        out.insert(out.end(), FRecords.begin(), FRecords.end());
        Put32(out, 3);
        Put16(out, 0);
        return out;
    }

    static void Put16(std::vector<uint8_t>& b, uint16_t v) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    }
    static void Put32(std::vector<uint8_t>& b, uint32_t v) {
        Put16(b, uint16_t(v));
        Put16(b, uint16_t(v >> 16));
    }

private:
    bool FPlaceable;
    TRect FBox;
    uint16_t FInch;
    int FObjects = 0;
    uint32_t FMaxRecord = 0;
    std::vector<uint8_t> FRecords;
};

class TEmfWriter {
public:
    // Bounds in reference pixels; the frame in hundredths of a millimetre; the reference device
    // DevicePx pixels over DeviceMm millimetres.
    TEmfWriter(TRect Bounds, TRect Frame, TSize DevicePx = TSize{1000, 1000}, TSize DeviceMm = TSize{250, 250})
        : FBounds(Bounds), FFrame(Frame), FDevicePx(DevicePx), FDeviceMm(DeviceMm) {}
    // A frame matching the bounds on a 96 pixels-per-inch reference device.
    explicit TEmfWriter(TRect Bounds)
        : TEmfWriter(Bounds,
                     TRect(Bounds.Left * 2540 / 96, Bounds.Top * 2540 / 96, Bounds.Right * 2540 / 96,
                           Bounds.Bottom * 2540 / 96),
                     TSize{960, 960}, TSize{254, 254}) {}

    // A record of 32-bit fields after its type and size.
    void Rec(uint32_t Type, std::initializer_list<int64_t> Fields) {
        std::vector<uint8_t> b;
        for (int64_t f : Fields) TWmfWriter::Put32(b, uint32_t(f));
        Raw(Type, b);
    }
    void Raw(uint32_t Type, std::vector<uint8_t> Body) {
        while (Body.size() % 4) Body.push_back(0);
        TWmfWriter::Put32(FRecords, Type);
        TWmfWriter::Put32(FRecords, uint32_t(8 + Body.size()));
        FRecords.insert(FRecords.end(), Body.begin(), Body.end());
        ++FCount;
    }
    static uint32_t Float(float F) {
        uint32_t u;
        std::memcpy(&u, &F, 4);
        return u;
    }
    void MapMode(int M) { Rec(17, {M}); }
    void WindowOrg(int X, int Y) { Rec(10, {X, Y}); }
    void WindowExt(int X, int Y) { Rec(9, {X, Y}); }
    void ViewportOrg(int X, int Y) { Rec(12, {X, Y}); }
    void ViewportExt(int X, int Y) { Rec(11, {X, Y}); }
    void WorldTransform(float M11, float M12, float M21, float M22, float Dx, float Dy) {
        Rec(35, {Float(M11), Float(M12), Float(M21), Float(M22), Float(Dx), Float(Dy)});
    }
    void Pen(uint32_t Index, int Style, int Width, uint32_t Color) {
        Rec(38, {Index, Style, Width, 0, Color});
        Handle(Index);
    }
    void ExtPen(uint32_t Index, uint32_t Style, uint32_t Width, uint32_t Color,
                std::initializer_list<uint32_t> Dashes = {}) {
        std::vector<uint8_t> b;
        for (uint32_t v : {Index, 0u, 0u, 0u, 0u, Style, Width, 0u, Color, 0u, uint32_t(Dashes.size())})
            TWmfWriter::Put32(b, v);
        for (uint32_t d : Dashes) TWmfWriter::Put32(b, d);
        Raw(95, b);
        Handle(Index);
    }
    void Brush(uint32_t Index, int Style, uint32_t Color, int Hatch = 0) {
        Rec(39, {Index, Style, Color, Hatch});
        Handle(Index);
    }
    void Select(uint32_t Index) { Rec(37, {Index}); }
    void Delete(uint32_t Index) { Rec(40, {Index}); }
    void Rectangle(int L, int T, int R, int B) { Rec(43, {L, T, R, B}); }
    void Ellipse(int L, int T, int R, int B) { Rec(42, {L, T, R, B}); }
    void MoveTo(int X, int Y) { Rec(27, {X, Y}); }
    void LineTo(int X, int Y) { Rec(54, {X, Y}); }
    // Polygon (3), Polyline (4), PolyBezier (2), PolyBezierTo (5), PolylineTo (6) with 32-bit points;
    // the 16-bit forms are 80 more.
    void Poly(uint32_t Type, const std::vector<TPoint>& Points) {
        std::vector<uint8_t> b(16, 0);
        TWmfWriter::Put32(b, uint32_t(Points.size()));
        const bool small = Type >= 85;
        for (const TPoint& p : Points) {
            if (small) TWmfWriter::Put16(b, uint16_t(p.X)), TWmfWriter::Put16(b, uint16_t(p.Y));
            else TWmfWriter::Put32(b, uint32_t(p.X)), TWmfWriter::Put32(b, uint32_t(p.Y));
        }
        Raw(Type, b);
    }
    void BeginPath() { Rec(59, {}); }
    void EndPath() { Rec(60, {}); }
    void CloseFigure() { Rec(61, {}); }
    void FillPath() { Rec(62, {0, 0, 0, 0}); }
    void StrokePath() { Rec(64, {0, 0, 0, 0}); }
    void SelectClipPath(int Mode) { Rec(67, {Mode}); }
    void SaveDC() { Rec(33, {}); }
    void RestoreDC(int Which) { Rec(34, {Which}); }
    // StretchDIBits (81) of a packed DIB (40-byte header, then colour table and rows), all of it.
    void StretchDIBits(int X, int Y, int W, int H, const std::vector<uint8_t>& Dib, size_t HeaderAndTable, int DibW,
                       int DibH, uint32_t Rop = 0x00CC0020) {
        std::vector<uint8_t> b(16, 0);
        const uint32_t offBmi = 80, cbBmi = uint32_t(HeaderAndTable);
        const uint32_t offBits = offBmi + cbBmi, cbBits = uint32_t(Dib.size() - HeaderAndTable);
        for (uint32_t v : {uint32_t(X), uint32_t(Y), 0u, 0u, uint32_t(DibW), uint32_t(DibH), offBmi, cbBmi, offBits,
                           cbBits, 0u, Rop, uint32_t(W), uint32_t(H)})
            TWmfWriter::Put32(b, v);
        b.insert(b.end(), Dib.begin(), Dib.end());
        Raw(81, b);
    }
    // AlphaBlend (114) of a packed DIB with the blend function's constant alpha and source-alpha flag.
    void AlphaBlend(int X, int Y, int W, int H, const std::vector<uint8_t>& Dib, size_t HeaderAndTable, int DibW,
                    int DibH, int ConstantAlpha, bool SourceAlpha) {
        std::vector<uint8_t> b(16, 0);
        const uint32_t blend = (uint32_t(ConstantAlpha) << 16) | (SourceAlpha ? 0x01000000u : 0);
        for (uint32_t v : {uint32_t(X), uint32_t(Y), uint32_t(W), uint32_t(H), blend, 0u, 0u}) TWmfWriter::Put32(b, v);
        for (uint32_t v : {Float(1), 0u, 0u, Float(1), 0u, 0u}) TWmfWriter::Put32(b, v);  // source transform
        const uint32_t offBmi = 108, cbBmi = uint32_t(HeaderAndTable);
        for (uint32_t v : {0u, 0u, offBmi, cbBmi, offBmi + cbBmi, uint32_t(Dib.size() - HeaderAndTable),
                           uint32_t(DibW), uint32_t(DibH)})
            TWmfWriter::Put32(b, v);
        b.insert(b.end(), Dib.begin(), Dib.end());
        Raw(114, b);
    }
    // A comment record (70) holding Data.
    void Comment(const std::vector<uint8_t>& Data) {
        std::vector<uint8_t> b;
        TWmfWriter::Put32(b, uint32_t(Data.size()));
        b.insert(b.end(), Data.begin(), Data.end());
        Raw(70, b);
    }
    void Handle(uint32_t Index) { FHandles = std::max(FHandles, Index + 1); }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        auto put = [&](uint32_t v) { TWmfWriter::Put32(out, v); };
        const uint32_t total = uint32_t(88 + FRecords.size() + 20);
        put(1);
        put(88);
        for (int v : {FBounds.Left, FBounds.Top, FBounds.Right, FBounds.Bottom}) put(uint32_t(v));
        for (int v : {FFrame.Left, FFrame.Top, FFrame.Right, FFrame.Bottom}) put(uint32_t(v));
        put(0x464D4520u);
        put(0x10000);
        put(total);
        put(FCount + 2);
        put(FHandles);  // handles (16 bits) and the reserved field
        put(0);
        put(0);
        put(0);
        put(uint32_t(FDevicePx.cx));
        put(uint32_t(FDevicePx.cy));
        put(uint32_t(FDeviceMm.cx));
        put(uint32_t(FDeviceMm.cy));
        out.insert(out.end(), FRecords.begin(), FRecords.end());
        for (uint32_t v : {14u, 20u, 0u, 0u, 20u}) put(v);
        return out;
    }

private:
    TRect FBounds, FFrame;
    TSize FDevicePx, FDeviceMm;
    std::vector<uint8_t> FRecords;
    uint32_t FCount = 0;
    uint32_t FHandles = 1;
};

// A packed 24-bit DIB (40-byte header then bottom-up rows) of W x H pixels given top row first as
// 0x00RRGGBB; with Alpha, a 32-bit one whose fourth bytes are the colours' top bytes.
inline std::vector<uint8_t> PackedDib(int W, int H, const std::vector<uint32_t>& TopFirst, bool Alpha = false) {
    std::vector<uint8_t> d;
    const int bpp = Alpha ? 32 : 24;
    for (uint32_t v : {40u, uint32_t(W), uint32_t(H)}) TWmfWriter::Put32(d, v);
    TWmfWriter::Put16(d, 1);
    TWmfWriter::Put16(d, uint16_t(bpp));
    for (int i = 0; i < 6; ++i) TWmfWriter::Put32(d, 0);
    const int row = ((W * bpp + 31) / 32) * 4;
    for (int y = H - 1; y >= 0; --y) {
        std::vector<uint8_t> r(size_t(row), 0);
        for (int x = 0; x < W; ++x) {
            const uint32_t c = TopFirst[size_t(y) * size_t(W) + size_t(x)];
            uint8_t* p = r.data() + x * (bpp / 8);
            p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
            if (Alpha) p[3] = uint8_t(c >> 24);
        }
        d.insert(d.end(), r.begin(), r.end());
    }
    return d;
}

}  // namespace lumora_test
