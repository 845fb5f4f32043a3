// Drawing one cell of the thumbnail grid: frame, captions and the picture. A picture comes only
// from the memory cache here; a miss leaves the picture box empty and queues the cell.

#include <algorithm>

#include "catalogue/lm_types.h"
#include "catalogue/thumb_grid.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/windows_gdi.h"
#include "platform/shell_file_info.h"
#include "treelist/tree_list.h"

namespace {

constexpr TColor CurrentFrameColour = TColor(0x00FFFF);
constexpr TColor SelectedFill = TColor(0x800000);
constexpr TColor IconBoxFill = TColor(0xDC8987);
constexpr TColor ShadowColour = TColor(0x808080);

// The length of the UTF-8 character that ends Text's first Length bytes.
size_t LastCharLength(const std::string& Text) {
    size_t n = Text.size();
    size_t start = n - 1;
    while (start > 0 && (static_cast<unsigned char>(Text[start]) & 0xC0) == 0x80) --start;
    return n - start;
}

}  // namespace

// A caption shortened to Width: ".." appended and the character before it removed until it fits
// or the text is shorter than 4 characters.
std::string ShortenThumbCaption(TCanvas* Canvas, const std::string& Text, Integer Width) {
    if (Canvas->TextWidth(Text) <= Width) return Text;
    std::string text = Text;
    while (!text.empty() && text.size() >= 4 && Canvas->TextWidth(text + "..") > Width)
        text.erase(text.size() - LastCharLength(text));
    return text + "..";
}

// Draws one cell from the grid's state and the cell's texts.
class TThumbCellPainter {
public:
    TThumbCellPainter(TgxThumbGrid2* Grid, Integer Index, const TRect& Cell)
        : G(*Grid), C(Grid->GetCanvas()), FIndex(Index), FCell(Cell) {}

    void Paint() {
        const TgxThumbGrid2::TCellTexts texts = G.IsItem(FIndex) ? G.ItemTexts(FIndex) : TgxThumbGrid2::TCellTexts{};
        const Integer pad = G.Pad();
        FInner = TRect(FCell.Left + pad, FCell.Top + pad, FCell.Right - pad, FCell.Bottom - pad);
        C->GetBrush()->SetStyle(bsSolid);
        C->GetBrush()->SetColor(G.GetColor());
        C->FillRect(FCell);
        if (!texts.Valid) return;
        const bool current = G.HighlightCurrentCell && G.ItemFocused(FIndex);
        FSelected = G.ItemSelected(FIndex);

        if (current) {
            C->GetPen()->SetStyle(psDot);
            C->GetPen()->SetWidth(1);
            C->GetPen()->SetColor(CurrentFrameColour);
            C->GetBrush()->SetColor(clBlack);
            C->Rectangle(FInner.Left - 1, FInner.Top - 1, FInner.Right + 1, FInner.Bottom + 1);
            C->GetPen()->SetStyle(psSolid);
        }
        C->GetBrush()->SetColor(FSelected ? SelectedFill : G.FDisplayType == tdtIconInfo ? clBtnFace : G.FCreatedColor);
        C->FillRect(FInner);
        C->GetFont()->SetColor(FSelected ? clHighlightText : clWindowText);
        if ((FSelected || G.FDisplayType == tdtIconInfo) && !current) RaisedFrame();

        if (G.FDisplayType == tdtFilename || BeyondPicture()) Captions(texts);
        if (G.FDisplayType != tdtFilename) Picture(texts);
    }

private:
    void RaisedFrame() {
        C->GetPen()->SetWidth(1);
        C->GetPen()->SetColor(FSelected ? clBlack : TColor(0xEFEFEF));
        C->MoveTo(FInner.Left, FInner.Bottom - 1);
        C->LineTo(FInner.Left, FInner.Top);
        C->LineTo(FInner.Right - 1, FInner.Top);
        C->GetPen()->SetColor(FSelected ? TColor(0xDEDEDE) : TColor(0x999999));
        C->LineTo(FInner.Right - 1, FInner.Bottom - 1);
        C->LineTo(FInner.Left, FInner.Bottom - 1);
    }

    void Captions(const TgxThumbGrid2::TCellTexts& Texts) {
        std::string caption = G.HideFileExtensions ? ChangeFileExt(Texts.Name, "") : Texts.Name;
        const Integer t = C->TextHeight("Wg");
        C->GetBrush()->SetStyle(bsClear);
        const Integer innerW = FInner.Right - FInner.Left;
        switch (G.FDisplayType) {
            case tdtLargeIcon: {
                caption = ShortenThumbCaption(C, caption, innerW - 6);
                const Integer x = std::max(FInner.Left + 3, FInner.Left + (innerW - C->TextWidth(caption)) / 2);
                C->TextOut(x, FInner.Bottom - 3 - t, caption);
                break;
            }
            case tdtIconInfo: {
                const Integer textW = (FCell.Right - FCell.Left) - ImagePartWidth() - 3;
                const std::string lines[3] = {caption, Texts.Dimensions, Texts.Size};
                for (Integer i = 0; i < 3; ++i) {
                    const std::string line = ShortenThumbCaption(C, lines[i], textW);
                    const Integer x = std::max(FInner.Left + 3, FInner.Right - 3 - C->TextWidth(line));
                    C->TextOut(x, FInner.Top + 3 + i * (t + 3), line);
                }
                break;
            }
            case tdtFilename: {
                const bool icons = G.FSmallIcons != nullptr;
                const Integer iconPart = 2 * G.Pad() + (icons ? 22 : 4);
                caption = ShortenThumbCaption(C, caption, (FCell.Right - FCell.Left) - iconPart);
                C->TextOut(FInner.Left + (icons ? 20 : 2), FInner.Top + 2, caption);
                if (icons) {
                    const Integer index = IconIndex(Texts.FullName, true);
                    if (index >= 0)
                        G.FSmallIcons->Draw(C, FInner.Left + 1, FInner.Top + 1, index,
                                            FSelected ? dsSelected : dsNormal, itImage);
                }
                break;
            }
        }
        C->GetBrush()->SetStyle(bsSolid);
    }

    Integer ImagePartWidth() const { return 2 * G.Pad() + 12 + G.FThumbWidth / 2; }

    // The file's system icon (the unknown icon for a missing file or one without an icon).
    Integer IconIndex(const std::string& FullName, bool Small) {
        const UINT flags = SHGFI_SYSICONINDEX | (Small ? SHGFI_SMALLICON : SHGFI_LARGEICON);
        SHFILEINFO info;
        if (FileExists(FullName) && SHGetFileInfo(FullName, 0, info, flags) && info.iIcon >= 0) return info.iIcon;
        return UnknownIndex(Small);
    }
    Integer UnknownIndex(bool Small) {
        SHFILEINFO info;
        if (!G.UnknownIcon.empty() && SHGetFileInfo(G.UnknownIcon, 0, info, SHGFI_SYSICONINDEX | (Small ? 1u : 0u)) &&
            info.iIcon >= 0)
            return info.iIcon;
        return SystemGenericFileIcon;
    }

    // Whether the paint covers any of the cell outside its picture area (a cell whose thumbnail
    // came in repaints that area only, and its texts need no drawing).
    bool BeyondPicture() const {
        const TRect area = G.PictureArea(FCell);
        const TRect parts[] = {{FCell.Left, FCell.Top, FCell.Right, area.Top},
                               {FCell.Left, area.Bottom, FCell.Right, FCell.Bottom},
                               {FCell.Left, area.Top, area.Left, area.Bottom},
                               {area.Right, area.Top, FCell.Right, area.Bottom}};
        return std::any_of(std::begin(parts), std::end(parts), [&](const TRect& R) {
            return R.Right > R.Left && R.Bottom > R.Top && RectVisible(C->GetHandle(), &R);
        });
    }

    void Picture(const TgxThumbGrid2::TCellTexts& Texts) {
        const TRect box = G.PictureBox(FCell);
        const Integer boxW = box.Right - box.Left, boxH = box.Bottom - box.Top;
        if (TBitmap* kept = G.FMemory.Peek(G.FMemory.Find(Texts.FullName))) {
            Show(kept, box);
            return;
        }
        const bool failed = G.FFailed.count(Texts.FullName) != 0;
        const bool cached = !G.FPermanent.FileFor(Texts.FullName).empty() || G.FDisk.Find(Texts.FullName) >= 0;
        if (!failed && (cached || (G.ExtensionSupported(Texts.FullName) && FileExists(Texts.FullName)))) {
            if (!G.FBlockCellDrawing) G.QueueThumbnail(FIndex, Texts);
            return;
        }
        if (!G.FLargeIcons) return;
        // The shell icon on a coloured square fitted into the box.
        const Integer iconSize = G.FLargeIcons->GetWidth();
        const TRect fit = FitRectInBox(iconSize, iconSize, boxW, boxH, 0, 0, true, true, false, false);
        Integer w = fit.Right - fit.Left, h = fit.Bottom - fit.Top;
        if (G.DoubleSizeIcons && boxW > 2 * iconSize && boxH > 2 * iconSize) {
            w /= 2;
            h /= 2;
        }
        if (w <= 0 || h <= 0) return;
        TBitmap square;
        square.SetPixelFormat(pf24bit);
        square.SetSize(w, h);
        TCanvas* sc = square.GetCanvas();
        sc->GetBrush()->SetColor(IconBoxFill);
        sc->GetPen()->SetColor(clNavy);
        sc->Rectangle(0, 0, w, h);
        const Integer index =
            failed || !FileExists(Texts.FullName) ? UnknownIndex(false) : IconIndex(Texts.FullName, false);
        G.FLargeIcons->Draw(sc, (w - iconSize) / 2, (h - iconSize) / 2, index, FSelected ? dsSelected : dsNormal,
                            itImage);
        Show(&square, box);
    }

    // Draws a picture fitted into the box (stretched to the fitted size) with its shadow.
    void Show(TBitmap* Picture, const TRect& Box) {
        const TRect fit = FitRectInBox(Picture->GetWidth(), Picture->GetHeight(), Box.Right - Box.Left,
                                       Box.Bottom - Box.Top, Box.Left, Box.Top, true, true, true, true);
        if (fit.Right <= fit.Left || fit.Bottom <= fit.Top) return;
        if (fit.Right - fit.Left == Picture->GetWidth() && fit.Bottom - fit.Top == Picture->GetHeight())
            C->Draw(fit.Left, fit.Top, Picture);
        else
            C->StretchDraw(fit, Picture);
        C->GetPen()->SetColor(ShadowColour);
        C->GetPen()->SetWidth(2);
        C->MoveTo(fit.Left + 2, fit.Bottom + 1);
        C->LineTo(fit.Right + 1, fit.Bottom + 1);
        C->LineTo(fit.Right + 1, fit.Top + 2);
        C->GetPen()->SetWidth(1);
        C->SetPixels(fit.Left + 2, fit.Bottom, ShadowColour);
    }

    TgxThumbGrid2& G;
    TCanvas* C;
    Integer FIndex;
    TRect FCell;
    TRect FInner;
    bool FSelected = false;
};

TRect TgxThumbGrid2::PictureBox(const TRect& Cell) const {
    const Integer pad = Pad(), z = FZoom;
    const TRect inner(Cell.Left + pad, Cell.Top + pad, Cell.Right - pad, Cell.Bottom - pad);
    if (FDisplayType == tdtLargeIcon)
        return TRect(inner.Left + 2, inner.Top + 2, inner.Left + 2 + FThumbWidth * z, inner.Top + 2 + FThumbHeight * z);
    const Integer w = FThumbWidth / 2 * z, h = FThumbHeight / 2 * z;
    const Integer top = inner.Top + ((inner.Bottom - inner.Top) - h) / 2;
    return TRect(inner.Left + 3, top, inner.Left + 3 + w, top + h);
}

TRect TgxThumbGrid2::PictureArea(const TRect& Cell) const {
    // The shadow reaches 3 pixels beyond the picture.
    TRect area = PictureBox(Cell);
    InflateRect(&area, 3, 3);
    IntersectRect(&area, &area, &Cell);
    return area;
}

void TgxThumbGrid2::Paint() {
    FMadeUnpainted = 0;
    try {
        TDrawGrid::Paint();
    } catch (...) {
        SendNewJobs();
        throw;
    }
    SendNewJobs();
}

void TgxThumbGrid2::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) {
    if (FBlockCellDrawing || !FGrid || FLayoutBusy) {
        FMissedPaint = true;
        return;
    }
    // Only cells in the region being painted (not its bounding box: cells made one by one are
    // invalidated one by one): a cell repainted for nothing would queue a thumbnail the memory
    // cache had to let go again, when more cells show than it holds.
    if (!RectVisible(GetCanvas()->GetHandle(), &ARect)) return;
    try {
        TThumbCellPainter(this, CellToIndex(ACol, ARow), ARect).Paint();
    } catch (...) {
        // Whatever was drawn stays; painting goes on with the next cell.
    }
}
