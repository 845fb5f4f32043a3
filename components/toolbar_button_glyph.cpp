// The toolbar button's images: the layout of glyph, caption and arrow, the generated disabled
// look, and the state images rendered once into image lists shared per size.

#include <algorithm>
#include <map>

#include "components/toolbar_button.h"
#include "framework/exceptions.h"

// ---- Layout ------------------------------------------------------------------------------------

TButtonContentLayout LayoutButtonContent(const TRect& Content, TPoint GlyphSize, TPoint ArrowSize,
                                         const std::function<TPoint(Integer MaxWidth)>& MeasureCaption,
                                         TButtonLayout Layout, Integer Margin, Integer Spacing, bool WordWrap) {
    const bool hasGlyph = GlyphSize.X > 0 && GlyphSize.Y > 0;
    // Without a glyph, top and bottom act as left.
    if (!hasGlyph && (Layout == blGlyphTop || Layout == blGlyphBottom)) Layout = blGlyphLeft;
    const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    const Integer width = Content.Width(), height = Content.Height();
    Integer maxWidth = width - (horizontal ? ArrowSize.X : 0);
    if (WordWrap) {
        Integer spacing = Spacing == -1 ? 4 : Spacing;
        Integer margin = Margin == -1 ? (Spacing == -1 ? 4 : Spacing) : Margin;
        if (!hasGlyph && horizontal) margin = 4;
        maxWidth -= GlyphSize.X + spacing + 2 * margin;
    }
    TPoint caption = MeasureCaption ? MeasureCaption(std::max(maxWidth, 0)) : TPoint{};
    const bool hasCaption = caption.X > 0 && caption.Y > 0;
    if (!hasCaption || !hasGlyph) Spacing = 0;
    // Along the layout's axis.
    const Integer length = horizontal ? width : height;
    const Integer total = horizontal ? GlyphSize.X + caption.X + ArrowSize.X : GlyphSize.Y + caption.Y;
    if (Margin == -1 && Spacing == -1) {
        Margin = Spacing = (length - total) / 3;
    } else if (Margin == -1) {
        Margin = (length - (total + Spacing) + 1) / 2;
    } else if (Spacing == -1) {
        Spacing = (length - Margin - total) / 2;
    }
    TPoint glyph, text, arrow;
    // Across the axis everything is centred.
    auto across = [&](Integer Size) { return ((horizontal ? height : width) - Size + 1) / 2; };
    switch (Layout) {
    case blGlyphLeft:
        glyph.X = Margin;
        text.X = glyph.X + GlyphSize.X + Spacing;
        arrow.X = text.X + caption.X;
        break;
    case blGlyphRight:
        arrow.X = width - Margin - ArrowSize.X;
        glyph.X = arrow.X - GlyphSize.X;
        text.X = glyph.X - Spacing - caption.X;
        break;
    case blGlyphTop:
        glyph.Y = Margin;
        text.Y = glyph.Y + GlyphSize.Y + Spacing;
        break;
    case blGlyphBottom:
        glyph.Y = height - Margin - GlyphSize.Y;
        text.Y = glyph.Y - Spacing - caption.Y;
        break;
    }
    if (horizontal) {
        glyph.Y = across(GlyphSize.Y);
        text.Y = across(caption.Y);
    } else {
        glyph.X = across(GlyphSize.X);
        text.X = across(caption.X);
        arrow.X = glyph.X + GlyphSize.X;
    }
    arrow.X += 1;
    arrow.Y = hasGlyph ? glyph.Y + (GlyphSize.Y - ArrowSize.Y) / 2 : text.Y + (caption.Y - ArrowSize.Y) / 2;
    TButtonContentLayout out;
    out.GlyphPos = {Content.Left + glyph.X, Content.Top + glyph.Y};
    out.CaptionRect = Bounds(Content.Left + text.X, Content.Top + text.Y, caption.X, caption.Y);
    out.ArrowPos = {Content.Left + arrow.X, Content.Top + arrow.Y};
    return out;
}

TNumGlyphsX GlyphCountOf(Integer Width, Integer Height) {
    if (Width <= 0 || Height <= 0 || Width % Height != 0) return 1;
    Integer n = Width / Height;
    return n < 6 ? n : 1;
}

std::vector<TColor> DisabledImagePixels(const std::vector<TColor>& Pixels, Integer W, Integer H, TColor Transparent,
                                        const std::vector<bool>* Mask, TColor Face, TColor Highlight,
                                        TColor Shadow) {
    const Integer ow = W + 1, oh = H + 1;
    std::vector<TColor> out(size_t(ow) * size_t(oh), Face);
    auto inShape = [&](Integer X, Integer Y) {
        size_t i = size_t(Y) * size_t(W) + size_t(X);
        TColor c = Pixels[i];
        if (c == clWhite || c == clSilver) return false;
        return Mask ? bool((*Mask)[i]) : c != Transparent;
    };
    for (TColor colour : {Highlight, Shadow}) {
        Integer shift = colour == Highlight ? 1 : 0;
        for (Integer y = 0; y < H; ++y)
            for (Integer x = 0; x < W; ++x)
                if (inShape(x, y)) out[size_t(y + shift) * size_t(ow) + size_t(x + shift)] = colour;
    }
    return out;
}

// ---- Shared image lists ------------------------------------------------------------------------

namespace {

std::map<std::pair<Integer, Integer>, TGlyphList*>& GlyphLists() {
    static std::map<std::pair<Integer, Integer>, TGlyphList*> lists;
    return lists;
}

}  // namespace

TGlyphList::TGlyphList(Integer AWidth, Integer AHeight) : FImages(TCustomImageList::CreateSize(AWidth, AHeight)) {}

TGlyphList::~TGlyphList() { FImages->Free(); }

Integer TGlyphList::Add(TBitmap* Image, TColor MaskColor) {
    if (Image->GetWidth() < FImages->GetWidth() || Image->GetHeight() < FImages->GetHeight())
        throw EInvalidOperation("Invalid image size");
    auto free = std::find(FTaken.begin(), FTaken.end(), false);
    Integer index = Integer(free - FTaken.begin());
    try {
        if (free == FTaken.end()) {
            index = FImages->AddMasked(Image, MaskColor);
            if (index < 0) throw EInvalidOperation("Unable to Replace Image");
            FTaken.resize(size_t(index) + 1, false);
        } else {
            FImages->ReplaceMasked(index, Image, MaskColor);
        }
    } catch (const EInvalidOperation&) {
        throw EInvalidOperation("Unable to Replace Image");
    }
    FTaken[size_t(index)] = true;
    ++FUsed;
    return index;
}

void TGlyphList::Delete(Integer Index) {
    if (Index < 0 || size_t(Index) >= FTaken.size() || !FTaken[size_t(Index)]) return;
    FTaken[size_t(Index)] = false;
    --FUsed;
}

TGlyphList* SharedGlyphList(Integer Width, Integer Height) {
    TGlyphList*& list = GlyphLists()[{Width, Height}];
    if (!list) list = new TGlyphList(Width, Height);
    return list;
}

void ReleaseGlyphSlot(TGlyphList* List, Integer Index) {
    if (!List) return;
    List->Delete(Index);
    if (List->GetUsed() > 0) return;
    auto& lists = GlyphLists();
    for (auto it = lists.begin(); it != lists.end(); ++it)
        if (it->second == List) {
            lists.erase(it);
            break;
        }
    delete List;
}

Integer GlyphListCount() { return Integer(GlyphLists().size()); }

// ---- TToolbarButtonGlyph -----------------------------------------------------------------------

TToolbarButtonGlyph::TToolbarButtonGlyph() : FGlyph(new TBitmap), FMask(new TBitmap) {}

TToolbarButtonGlyph::~TToolbarButtonGlyph() {
    Invalidate();
    FGlyph->Free();
    FMask->Free();
}

void TToolbarButtonGlyph::Changed() {
    Invalidate();
    if (OnChange) OnChange();
}

void TToolbarButtonGlyph::Invalidate() {
    for (Integer s = 0; s < 5; ++s) {
        ReleaseGlyphSlot(FLists[s], FSlots[s]);
        FLists[s] = nullptr;
        FSlots[s] = -1;
    }
}

void TToolbarButtonGlyph::SetGlyph(TBitmap* Value) {
    if (Value)
        FGlyph->Assign(Value);
    else
        FGlyph->SetSize(0, 0);
    FNumGlyphs = GlyphCountOf(FGlyph->GetWidth(), FGlyph->GetHeight());
    Changed();
}

void TToolbarButtonGlyph::SetMask(TBitmap* Value) {
    if (Value)
        FMask->Assign(Value);
    else
        FMask->SetSize(0, 0);
    Changed();
}

void TToolbarButtonGlyph::SetNumGlyphs(TNumGlyphsX Value) {
    Value = std::clamp(Value, 1, 5);
    if (Value == FNumGlyphs) return;
    FNumGlyphs = Value;
    Changed();
}

void TToolbarButtonGlyph::SetImages(TCustomImageList* Value, Integer Index) {
    if (Value == FImages && Index == FImageIndex) return;
    FImages = Value;
    FImageIndex = Index;
    Changed();
}

void TToolbarButtonGlyph::SetOldDisabledStyle(bool Value) {
    if (Value == FOldDisabledStyle) return;
    FOldDisabledStyle = Value;
    Changed();
}

TPoint TToolbarButtonGlyph::ImageSize() const {
    if (FImages && FImageIndex >= 0 && FImageIndex < FImages->GetCount()) return {FImages->GetWidth(), FImages->GetHeight()};
    if (FGlyph->GetWidth() == 0 || FGlyph->GetHeight() == 0) return {};
    return {FGlyph->GetWidth() / FNumGlyphs, FGlyph->GetHeight()};
}

Integer TToolbarButtonGlyph::Rendered(TToolbarButtonState State, TGlyphList** List) {
    TPoint size = ImageSize();
    *List = nullptr;
    if (size.X <= 0 || size.Y <= 0) return -1;
    const Integer s = Integer(State);
    if (FSlots[s] >= 0) {
        *List = FLists[s];
        return FSlots[s];
    }
    const bool fromList = FImages && FImageIndex >= 0 && FImageIndex < FImages->GetCount();
    // The source image and which pixels are its shape.
    TBitmap source;
    source.SetSize(size.X, size.Y);
    TColor transparent = clFuchsia;
    std::vector<bool> mask;
    bool masked = false;
    if (fromList) {
        source.GetCanvas()->GetBrush()->SetColor(transparent);
        source.GetCanvas()->FillRect({0, 0, size.X, size.Y});
        FImages->Draw(source.GetCanvas(), 0, 0, FImageIndex, true);
    } else {
        // A state the strip holds, else the up image (the disabled one is generated instead).
        Integer index = s < FNumGlyphs ? s : 0;
        source.GetCanvas()->CopyRect({0, 0, size.X, size.Y}, FGlyph->GetCanvas(),
                                     Bounds(index * size.X, 0, size.X, size.Y));
        transparent = FGlyph->GetCanvas()->GetPixels(0, FGlyph->GetHeight() - 1);
        if (FMask->GetWidth() >= FGlyph->GetWidth() && FMask->GetHeight() >= size.Y) {
            masked = true;
            for (Integer y = 0; y < size.Y; ++y)
                for (Integer x = 0; x < size.X; ++x)
                    mask.push_back(ColorToRGB(FMask->GetCanvas()->GetPixels(index * size.X + x, y)) == 0);
        }
    }
    const bool generate = State == tbsDisabled && (fromList || FNumGlyphs <= 1);
    TBitmap image;
    TColor maskColour = transparent;
    if (generate) {
        std::vector<TColor> pixels;
        for (Integer y = 0; y < size.Y; ++y)
            for (Integer x = 0; x < size.X; ++x) pixels.push_back(source.GetCanvas()->GetPixels(x, y));
        if (FOldDisabledStyle && !masked) {
            // The older look: the shape of the monochrome glyph (every dark pixel).
            masked = true;
            for (TColor c : pixels) {
                TColor rgb = ColorToRGB(c);
                Integer light = (rgb & 0xFF) + ((rgb >> 8) & 0xFF) + ((rgb >> 16) & 0xFF);
                mask.push_back(c != transparent && light < 3 * 128);
            }
        }
        std::vector<TColor> out = DisabledImagePixels(pixels, size.X, size.Y, transparent, masked ? &mask : nullptr,
                                                      ColorToRGB(clBtnFace), ColorToRGB(clBtnHighlight),
                                                      ColorToRGB(clBtnShadow));
        image.SetSize(size.X + 1, size.Y + 1);
        for (Integer y = 0; y <= size.Y; ++y)
            for (Integer x = 0; x <= size.X; ++x)
                image.GetCanvas()->SetPixels(x, y, out[size_t(y) * size_t(size.X + 1) + size_t(x)]);
        maskColour = ColorToRGB(clBtnFace);
    } else {
        image.Assign(&source);
        if (masked) {
            // Outside the mask the transparent colour.
            for (Integer y = 0; y < size.Y; ++y)
                for (Integer x = 0; x < size.X; ++x)
                    if (!mask[size_t(y) * size_t(size.X) + size_t(x)]) image.GetCanvas()->SetPixels(x, y, transparent);
        }
    }
    TGlyphList* list = SharedGlyphList(image.GetWidth(), image.GetHeight());
    Integer slot;
    try {
        slot = list->Add(&image, maskColour);
    } catch (...) {
        if (list->GetUsed() == 0) ReleaseGlyphSlot(list, -1);
        throw;
    }
    FLists[s] = list;
    FSlots[s] = slot;
    *List = list;
    return slot;
}

void TToolbarButtonGlyph::Draw(TCanvas* Canvas, Integer X, Integer Y, TToolbarButtonState State) {
    TGlyphList* list = nullptr;
    Integer slot = Rendered(State, &list);
    if (slot >= 0 && list) list->GetImages()->Draw(Canvas, X, Y, slot, true);
}
