#include "components/toolbar.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "framework/exceptions.h"
#include "framework/windows_gdi.h"

// ---- Layout ------------------------------------------------------------------------------------

Integer ToolbarCrossSize(const std::vector<TToolbarItem>& Items, TDockOrientation Orientation) {
    Integer c = 8;
    for (const TToolbarItem& it : Items)
        if (!it.Separator) c = std::max(c, Orientation == doVertical ? it.Width : it.Height);
    return c;
}

TToolbarLayout ArrangeToolbarItems(std::vector<TToolbarItem>& Items, TDockOrientation Orientation,
                                   Integer FloatRightX, Integer RowSize) {
    const bool floating = Orientation == doNone;
    const bool vertical = Orientation == doVertical;
    Integer wrapAt = INT_MAX;
    if (floating && FloatRightX > 0) {
        wrapAt = FloatRightX;
        for (const TToolbarItem& it : Items)
            if (!it.Separator) wrapAt = std::max(wrapAt, it.Width + 8);
    }
    const Integer c = ToolbarCrossSize(Items, Orientation);
    const Integer t = RowSize > 0 ? RowSize : c;
    const Integer top = floating ? 2 : 0, left = floating ? 4 : 0, right = floating ? 4 : 0, bottom = floating ? 1 : 0;
    auto lengthOf = [&](const TToolbarItem& it) { return vertical ? it.Height : it.Width; };
    TToolbarLayout out;
    Integer y = top, x = left, extent = left;
    // The segments: runs of controls, each ending after a separator.
    std::vector<std::pair<size_t, size_t>> segments;
    for (size_t i = 0, start = 0; i < Items.size(); ++i)
        if (Items[i].Separator || i + 1 == Items.size()) {
            segments.emplace_back(start, i + 1);
            start = i + 1;
        }
    bool forceWrap = false;
    // The extent before the separator that ended the last segment.
    Integer extentBeforeSeparator = extent;
    for (size_t s = 0; s < segments.size(); ++s) {
        auto [from, to] = segments[s];
        if (floating) {
            Integer segLength = 0;
            for (size_t i = from; i < to; ++i) segLength += lengthOf(Items[i]);
            if (forceWrap || wrapAt < x + segLength + right) {
                forceWrap = false;
                x = left;
                if (s > 0) {
                    y += c + 6;
                    TToolbarItem& last = Items[segments[s - 1].second - 1];
                    if (last.Separator) {
                        extent = extentBeforeSeparator;
                        last.Bounds.Right = last.Bounds.Left;
                        out.LineSeparators.push_back({y, last.Blank});
                    }
                }
            }
        }
        for (size_t i = from; i < to; ++i) {
            TToolbarItem& it = Items[i];
            Integer length = lengthOf(it);
            if (floating && !it.Separator && wrapAt < x + length + right) {
                x = left;
                y += c;
                forceWrap = true;
            }
            if (it.Separator) extentBeforeSeparator = extent;
            if (vertical)
                it.Bounds = it.Separator ? Bounds(y, x, t, it.Height) : Bounds(y + (t - it.Width) / 2, x, it.Width, it.Height);
            else
                it.Bounds = it.Separator ? Bounds(x, y, it.Width, t) : Bounds(x, y + (t - it.Height) / 2, it.Width, it.Height);
            x += length;
            extent = std::max(extent, x);
        }
    }
    if (Items.empty()) extent = left + 8;
    Integer along = extent + right, across = y + c + bottom;
    out.ClientSize = vertical ? TPoint{across, along} : TPoint{along, across};
    return out;
}

std::vector<TPoint> ToolbarPossibleSizes(const std::vector<TToolbarItem>& Items) {
    auto sizeAt = [&](Integer FloatRightX) {
        std::vector<TToolbarItem> copy = Items;
        return ArrangeToolbarItems(copy, doNone, FloatRightX, 0).ClientSize;
    };
    std::vector<TPoint> list{sizeAt(0)};
    for (Integer i = list[0].X - 1; i > 7;) {
        TPoint s = sizeAt(i);
        if (s.X > i) break;
        if (s.X < i) {
            i = s.X;
            continue;
        }
        if (std::find(list.begin(), list.end(), s) == list.end()) {
            if (list.size() > 1 && list.back().Y == s.Y)
                list.back() = s;
            else
                list.push_back(s);
        }
        --i;
    }
    return list;
}

// ---- TCustomToolbarX ---------------------------------------------------------------------------

TCustomToolbarX::TCustomToolbarX(TComponent* AOwner) : TCustomToolWindowX(AOwner) {}

void TCustomToolbarX::SetFloatRightX(Integer Value) {
    if (Value == FFloatRightX) return;
    FFloatRightX = Value;
    if (GetFloating()) Arrange();
}

std::vector<TToolbarItem> TCustomToolbarX::Items(std::vector<TControl*>* Controls) {
    std::vector<TToolbarItem> items;
    for (TControl* c : FOrderList) {
        if (!c->GetVisible()) continue;
        TToolbarItem it;
        if (auto* sep = dynamic_cast<TToolbarSepX*>(c)) {
            it.Separator = true;
            it.Blank = sep->GetBlank();
            it.Width = sep->GetSizeHorz();
            it.Height = sep->GetSizeVert();
        } else {
            it.Width = c->GetWidth();
            it.Height = c->GetHeight();
        }
        items.push_back(it);
        if (Controls) Controls->push_back(c);
    }
    return items;
}

void TCustomToolbarX::GetBarCrossSize(Integer& CrossSize, TDockOrientation Orientation) {
    CrossSize = ToolbarCrossSize(Items(nullptr), Orientation);
}

void TCustomToolbarX::ArrangeControls(bool CanMove, TDockOrientation /*OldOrientation*/, TPoint& NewClientSize,
                                      TDockX* Dock) {
    std::vector<TControl*> controls;
    std::vector<TToolbarItem> items = Items(&controls);
    TDockOrientation o = Dock ? Dock->GetOrientation() : doNone;
    // Centred in the dock's row when the bar sits there already.
    Integer rowSize = Dock && Dock == GetDockedTo() ? Dock->GetRowSize(GetDockRow(), this) : 0;
    TToolbarLayout layout = ArrangeToolbarItems(items, o, Dock ? 0 : FFloatRightX, rowSize);
    NewClientSize = layout.ClientSize;
    if (!CanMove) return;
    FLineSeparators = layout.LineSeparators;
    for (size_t i = 0; i < controls.size(); ++i) {
        const TRect& b = items[i].Bounds;
        controls[i]->SetBounds(b.Left, b.Top, b.Width(), b.Height());
    }
}

void TCustomToolbarX::GetPossibleSizes(std::vector<TPoint>& List) { List = ToolbarPossibleSizes(Items(nullptr)); }

void TCustomToolbarX::InitToolbarParams(bool& /*OrderByPosition*/, bool& /*OrderWhileDesigning*/) {}

bool TCustomToolbarX::ChildIsSeparator(TControl* Control) { return dynamic_cast<TToolbarSepX*>(Control) != nullptr; }

void TCustomToolbarX::InitParams(TToolWindowParams& Params) {
    Params.CallAlignControls = false;
    Params.ResizeEightCorner = false;
    Params.ResizeClipCursor = false;
}

void TCustomToolbarX::AfterLoaded() {
    bool byPosition = true, whileDesigning = true;
    InitToolbarParams(byPosition, whileDesigning);
    if (!byPosition) return;
    bool vertical = GetDockedTo() && GetDockedTo()->GetOrientation() == doVertical;
    std::stable_sort(FOrderList.begin(), FOrderList.end(), [vertical](TControl* A, TControl* B) {
        return vertical ? A->GetTop() < B->GetTop() : A->GetLeft() < B->GetLeft();
    });
}

void TCustomToolbarX::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_CONTROLLISTCHANGE) {
        auto* c = reinterpret_cast<TControl*>(Message.WParam);
        auto it = std::find(FOrderList.begin(), FOrderList.end(), c);
        if (Message.LParam && it == FOrderList.end()) FOrderList.push_back(c);
        if (!Message.LParam && it != FOrderList.end()) FOrderList.erase(it);
    }
    TCustomToolWindowX::Dispatch(Message);
}

void TCustomToolbarX::Paint() {
    TCustomToolWindowX::Paint();
    if (!GetFloating()) return;
    // A wrapped line starts under an etched line across the bar.
    TCanvas* c = GetCanvas();
    Integer w = GetClientWidth();
    for (const TToolbarLineSeparator& s : FLineSeparators) {
        if (s.Blank) continue;
        c->GetPen()->SetColor(clBtnShadow);
        c->MoveTo(1, s.Y - 4);
        c->LineTo(w - 1, s.Y - 4);
        c->GetPen()->SetColor(clBtnHighlight);
        c->MoveTo(1, s.Y - 3);
        c->LineTo(w - 1, s.Y - 3);
    }
}

void TCustomToolbarX::WMWindowPosChanged(TMessage& Message) {
    TCustomToolWindowX::WMWindowPosChanged(Message);
    if (GetFloating() && (Message.WParam & 1)) Invalidate();
}

void TCustomToolbarX::BeginSizing(Integer SizeHandle) {
    delete FSizing;
    FSizing = new TSizingData;
    FSizing->Handle = SizeHandle;
    std::vector<TPoint> sizes;
    GetPossibleSizes(sizes);
    TRect m = FloatingMargins();
    TPoint oneLine = sizes.empty() ? TPoint{} : sizes.front();
    for (TPoint& s : sizes) s = {s.X + m.Left + m.Right, s.Y + m.Top + m.Bottom};
    bool byHeight = SizeHandle == 2 || SizeHandle == 5;
    std::stable_sort(sizes.begin(), sizes.end(),
                     [byHeight](TPoint A, TPoint B) { return byHeight ? A.Y > B.Y : A.X > B.X; });
    FSizing->Sizes = sizes;
    TPoint oneLineWindow{oneLine.X + m.Left + m.Right, oneLine.Y + m.Top + m.Bottom};
    FSizing->OneLine = Integer(std::find(sizes.begin(), sizes.end(), oneLineWindow) - sizes.begin());
    FSizing->ProposedFloatRightX = FFloatRightX;
    FSizing->Current = {GetWidth(), GetHeight()};
    // Snapping stays below half the distance to the neighbouring layouts.
    Integer snap = 12;
    Integer current = byHeight ? GetHeight() : GetWidth();
    for (TPoint s : sizes) {
        Integer d = std::abs((byHeight ? s.Y : s.X) - current);
        if (d > 0) snap = std::min(snap, d - 1);
    }
    FSizing->SnapDistance = std::max(0, snap);
}

void TCustomToolbarX::Sizing(TRect& NewRect, const TRect& OrigRect) {
    if (!FSizing || FSizing->Sizes.empty()) return;
    TSizingData& d = *FSizing;
    const bool horizontal = d.Handle == 0 || d.Handle == 1;
    const bool fromFar = d.Handle == 0 || d.Handle == 2;  // left or top edge
    TPoint cursor = GetSizingCursor();
    Integer size = horizontal ? (fromFar ? OrigRect.Right - cursor.X : cursor.X - OrigRect.Left)
                              : (fromFar ? OrigRect.Bottom - cursor.Y : cursor.Y - OrigRect.Top);
    Integer current = horizontal ? d.Current.X : d.Current.Y;
    Integer direction = size > current ? 1 : size < current ? -1 : 0;
    if ((!d.MovedOff || (direction != 0 && direction != d.LastDirection)) && std::abs(size - current) <= d.SnapDistance)
        direction = 0;
    auto along = [&](TPoint p) { return horizontal ? p.X : p.Y; };
    Integer pick = -1;
    if (direction > 0) {
        // The smallest layout still larger than the cursor; the largest when none is.
        for (size_t i = 0; i < d.Sizes.size(); ++i)
            if (along(d.Sizes[i]) > size && (pick < 0 || along(d.Sizes[i]) < along(d.Sizes[pick]))) pick = Integer(i);
        if (pick < 0) pick = 0;
    } else if (direction < 0) {
        // The largest layout not larger than the cursor; the smallest when none is.
        for (size_t i = 0; i < d.Sizes.size(); ++i)
            if (along(d.Sizes[i]) <= size && (pick < 0 || along(d.Sizes[i]) > along(d.Sizes[pick]))) pick = Integer(i);
        if (pick < 0) pick = Integer(d.Sizes.size()) - 1;
    }
    TPoint s = d.Current;
    if (pick >= 0) {
        s = d.Sizes[pick];
        d.LastDirection = direction;
        d.ProposedFloatRightX = pick == d.OneLine ? 0 : s.X - 2 * FloatingMargins().Left;
    }
    TRect r = OrigRect;
    if (horizontal) {
        if (fromFar)
            r.Left = r.Right - s.X;
        else
            r.Right = r.Left + s.X;
        r.Bottom = r.Top + s.Y;
    } else {
        if (fromFar)
            r.Top = r.Bottom - s.Y;
        else
            r.Bottom = r.Top + s.Y;
        r.Right = r.Left + s.X;
    }
    if (!(r == OrigRect)) d.MovedOff = true;
    d.Current = s;
    NewRect = r;
}

void TCustomToolbarX::EndSizing(bool Accepted) {
    if (FSizing && Accepted) FFloatRightX = FSizing->ProposedFloatRightX;
    delete FSizing;
    FSizing = nullptr;
}

void TCustomToolbarX::ReadPositionData(const TPositionReadData& Data) {
    FFloatRightX = Data.ReadInteger(GetName(), "FloatRightX", 0);
}

void TCustomToolbarX::WritePositionData(const TPositionWriteData& Data) {
    Data.WriteInteger(GetName(), "FloatRightX", FFloatRightX);
}

// ---- TToolbarSepX ------------------------------------------------------------------------------

TToolbarSepX::TToolbarSepX(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(GetControlStyle() - TControlStyle{csCaptureMouse, csOpaque});
    SetBounds(GetLeft(), GetTop(), 6, 6);
}

void TToolbarSepX::SetParent(TWinControl* AParent) {
    if (AParent && !dynamic_cast<TCustomToolbarX*>(AParent))
        throw EInvalidOperation("TToolbarSepX can only be placed on a TToolbarX");
    TGraphicControl::SetParent(AParent);
}

void TToolbarSepX::SetSizeHorz(Integer Value) {
    Value = std::max(Value, 1);
    if (Value == FSizeHorz) return;
    FSizeHorz = Value;
    if (auto* bar = dynamic_cast<TCustomToolbarX*>(GetParent())) bar->Arrange();
}

void TToolbarSepX::SetSizeVert(Integer Value) {
    Value = std::max(Value, 1);
    if (Value == FSizeVert) return;
    FSizeVert = Value;
    if (auto* bar = dynamic_cast<TCustomToolbarX*>(GetParent())) bar->Arrange();
}

void TToolbarSepX::SetBlank(bool Value) {
    if (Value == FBlank) return;
    FBlank = Value;
    Invalidate();
}

void TToolbarSepX::Paint() {
    auto* bar = dynamic_cast<TCustomToolbarX*>(GetParent());
    if (!bar || FBlank) return;
    // An etched line across the bar's direction.
    TCanvas* c = GetCanvas();
    Integer w = GetWidth(), h = GetHeight();
    bool vertical = bar->GetDockedTo() && bar->GetDockedTo()->GetOrientation() == doVertical;
    c->GetPen()->SetColor(clBtnShadow);
    if (vertical) {
        c->MoveTo(0, h / 2 - 1);
        c->LineTo(w, h / 2 - 1);
        c->GetPen()->SetColor(clBtnHighlight);
        c->MoveTo(0, h / 2);
        c->LineTo(w, h / 2);
    } else {
        c->MoveTo(w / 2 - 1, 0);
        c->LineTo(w / 2 - 1, h);
        c->GetPen()->SetColor(clBtnHighlight);
        c->MoveTo(w / 2, 0);
        c->LineTo(w / 2, h);
    }
}
