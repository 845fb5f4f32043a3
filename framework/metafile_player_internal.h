#pragma once
// What the Windows and enhanced metafile players share: the checked record reader and the
// playback device, which keeps the metafile's coordinate spaces, objects, saved states and path
// and draws through the device context.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/metafile_player.h"

namespace lumora_meta {

// The bytes of one record. A field outside them reads as 0 and marks the record bad.
class TRecord {
public:
    TRecord(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
    size_t Size() const { return FSize; }
    bool Bad() const { return FBad; }
    bool Has(uint64_t At, uint64_t Bytes) const { return At <= FSize && Bytes <= FSize - At; }
    // Bytes bytes at At, or null (and the record bad) when they are not all there.
    const uint8_t* At(uint64_t At, uint64_t Bytes);
    uint8_t U8(uint64_t At);
    uint16_t U16(uint64_t At);
    int16_t I16(uint64_t At) { return int16_t(U16(At)); }
    uint32_t U32(uint64_t At);
    int32_t I32(uint64_t At) { return int32_t(U32(At)); }
    float F32(uint64_t At);

private:
    const uint8_t* FData;
    size_t FSize;
    bool FBad = false;
};

struct TPointD {
    double X = 0, Y = 0;
};

// x' = A x + C y + E, y' = B x + D y + F
struct TAffine {
    double A = 1, B = 0, C = 0, D = 1, E = 0, F = 0;
    TPointD Map(TPointD p) const { return {A * p.X + C * p.Y + E, B * p.X + D * p.Y + F}; }
    // This transform followed by Next.
    TAffine Then(const TAffine& Next) const;
    double Det() const { return A * D - B * C; }
    bool Rotates() const { return B != 0 || C != 0; }
};

// A pattern of a brush: rows top first, 0x00RRGGBB.
struct TPattern {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
};

// The metafile's pens, brushes and fonts in its own units; made into drawing objects at the scale
// they are drawn at.
struct TMetaPen {
    DWORD Style = PS_SOLID;  // with end cap and join
    double Width = 0;        // logical units; 0 is one pixel whatever the scale
    COLORREF Color = 0;
    std::vector<DWORD> Dashes;
    uint64_t Serial = 0;
};

struct TMetaBrush {
    int Style = BS_SOLID;
    COLORREF Color = 0xFFFFFF;
    int Hatch = 0;
    std::shared_ptr<const TPattern> Pattern;
    uint64_t Serial = 0;
};

struct TMetaFont {
    LOGFONT Font;
    uint64_t Serial = 0;
};

struct TMetaObject {
    enum class Kind : uint8_t { Empty, Pen, Brush, Font, Region, Other } Kind = Kind::Empty;
    TMetaPen Pen;
    TMetaBrush Brush;
    TMetaFont Font;
    std::vector<TRect> Rects;  // a region, in the units it was made in
};

enum : int {  // mapping modes
    MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5, MM_TWIPS = 6,
    MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8,
};

struct TMetaState {
    int MapMode = MM_TEXT;
    TPointD WinOrg, WinExt{1, 1}, VpOrg, VpExt{1, 1};
    TAffine World;
    TMetaPen Pen;
    TMetaBrush Brush;
    TMetaFont Font;
    COLORREF Text = 0, Bk = 0xFFFFFF;
    int BkMode = OPAQUE, Rop2 = R2_COPYPEN, FillMode = ALTERNATE, StretchMode = COLORONCOLOR;
    UINT TextAlign = TA_LEFT | TA_TOP;
    int ArcDirection = AD_COUNTERCLOCKWISE;
    TPointD Pos;
    double CharExtra = 0;
};

// A figure of the path in output coordinates.
struct TFigure {
    std::vector<TPointD> Points;
    bool Closed = false;
};

enum class TArcKind : uint8_t { Arc, ArcTo, Chord, Pie };

// A bitmap decoded from a metafile's DIB: rows top first, 32 bits blue, green, red, alpha.
struct TDecodedDib {
    int Width = 0, Height = 0;
    bool BottomUp = true;  // how the rows were stored
    bool HasAlpha = false;
    std::vector<uint32_t> Pixels;
};
// Decodes the DIB whose header and colour table are the BmiSize bytes at Bmi and whose rows are
// the BitsSize bytes at Bits; false when it is damaged or larger than MetafileMaxBitmapPixels.
bool DecodeDib(const uint8_t* Bmi, size_t BmiSize, const uint8_t* Bits, size_t BitsSize, TDecodedDib& Out);

class TMetaDevice {
public:
    TMetaDevice(HDC Dc, const TRect& Rect);
    ~TMetaDevice();
    TMetaDevice(const TMetaDevice&) = delete;
    TMetaDevice& operator=(const TMetaDevice&) = delete;

    TMetaState St;
    std::vector<TMetaObject> Objects;
    uint64_t NextSerial = 1;

    // Placement: Windows metafiles map their window onto the rectangle; enhanced metafiles map
    // their reference device's pixels through the frame onto it.
    void PlaceWindows();
    void PlaceEnhanced(TPointD FrameOrigin, TPointD FrameSize, double PixelsPerMmX, double PixelsPerMmY);
    void TransformChanged() { FXformValid = false; }

    // Logical units to output coordinates.
    const TAffine& ToOutput();
    TPointD Out(TPointD p) { return ToOutput().Map(p); }
    TPoint OutInt(TPointD p);
    // Output units to the output rectangle's coordinates (region data of enhanced metafiles).
    TPointD DeviceToOutput(TPointD p) const { return FPlacement.Map(p); }

    bool SaveState();
    void RestoreState(int Which);

    // Drawing in logical coordinates (or into the path while one is open).
    void MoveTo(TPointD p) { St.Pos = p; FFigureOpen = false; }
    void LineTo(TPointD p);
    void Polyline(const std::vector<TPointD>& Points, bool FromCurrent);
    void Polygons(const std::vector<std::vector<TPointD>>& Polys);
    void Polylines(const std::vector<std::vector<TPointD>>& Polys);
    // Cubic Béziers: the first point and three points a curve, or with FromCurrent three points
    // a curve starting at the current position.
    void Bezier(const std::vector<TPointD>& Points, bool FromCurrent);
    void Rectangle(TPointD a, TPointD b);
    void RoundRect(TPointD a, TPointD b, double w, double h);
    void Ellipse(TPointD a, TPointD b);
    void Arc(TArcKind Kind, TPointD a, TPointD b, TPointD start, TPointD end);
    void AngleArc(TPointD Centre, double Radius, double Start, double Sweep);
    void SetPixel(TPointD p, COLORREF Color);
    void FillRects(const std::vector<TRect>& Rects, bool Logical, const TMetaBrush* Brush, int Rop2);
    void PatBlt(TPointD a, TPointD b, DWORD Rop);
    // Text in UTF-8 at p (logical), with the advances (logical) when given.
    void Text(TPointD p, const std::string& Utf8, UINT Options, const TRect* Rect, bool RectLogical,
              const std::vector<double>* Dx);
    // A decoded bitmap's source rectangle (top row 0) into a logical rectangle.
    void Bitmap(TPointD a, TPointD b, const TDecodedDib& Dib, int Sx, int Sy, int Sw, int Sh, DWORD Rop,
                int Alpha, int64_t Key);

    // Paths.
    void BeginPath();
    void EndPath() { FInPath = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath() { DrawPath(true, false); }
    void StrokePath() { DrawPath(false, true); }
    void StrokeAndFillPath() { DrawPath(true, true); }
    void SelectClipPath(int Mode);

    // Clipping: rectangles in logical units; regions given as rectangles in logical units or in
    // the reference device's (null: back to no clip of the metafile's own).
    void IntersectClip(TPointD a, TPointD b, bool Exclude);
    void ClipRects(const std::vector<TRect>* Rects, int Mode, bool Logical);
    void OffsetClip(TPointD Offset);

private:
    void Realize(bool Pen, bool Brush, bool Font);
    void Draw(const std::vector<TFigure>& Figures, bool Fill, bool Stroke);
    void DrawPath(bool Fill, bool Stroke);
    void AddFigure(std::vector<TPointD> Points, bool Closed);
    std::vector<TPointD> EllipsePoints(TPointD a, TPointD b) const;
    std::vector<TPointD> ArcPoints(TPointD a, TPointD b, TPointD start, TPointD end) const;
    bool Rotated() { return ToOutput().Rotates(); }
    double PenScale();
    void SelectClip(HRGN Rgn, int Mode);
    HRGN RegionOf(const std::vector<TFigure>& Figures);
    HBRUSH MakeBrush(const TMetaBrush& Brush);

    HDC FDc;
    TRect FRect;
    int FSaveLevel = 0;
    int FDcDx = 0, FDcDy = 0;  // the device context's own logical-to-device offset
    HRGN FInitialClip = nullptr;
    TRect FVisibleBox;  // what the device context showed when the play began (its coordinates)
    bool FEnhanced = false;
    TAffine FPlacement;
    double FPxPerMmX = 96 / 25.4, FPxPerMmY = 96 / 25.4;
    TAffine FXform;
    bool FXformValid = false;
    std::vector<TMetaState> FSaved;
    bool FInPath = false;
    bool FFigureOpen = false;
    std::vector<TFigure> FPath;
    size_t FPathPoints = 0;
    // The drawing objects made for the current pen, brush and font, and what they were made from.
    HPEN FPen = nullptr;
    HBRUSH FBrush = nullptr;
    HFONT FFont = nullptr;
    uint64_t FPenSerial = 0, FBrushSerial = 0, FFontSerial = 0;
    double FPenScale = 0, FFontScale = 0;
};

// Text of a metafile: 8-bit text in the Windows Latin code page, and UTF-16, to UTF-8.
std::string Latin1ToUtf8(const uint8_t* Text, size_t Count);
std::string Utf16ToUtf8(const uint8_t* Text, size_t Count);

// The record loops.
bool PlayWindowsMetafile(TMetaDevice& Device, const uint8_t* Data, size_t Size);
bool PlayEnhancedMetafile(TMetaDevice& Device, const uint8_t* Data, size_t Size);

}  // namespace lumora_meta
