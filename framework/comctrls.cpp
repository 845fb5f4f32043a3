#include "framework/comctrls.h"

#include <algorithm>
#include <cstdlib>

#include "framework/control_paint.h"
#include "framework/dialog_service.h"
#include "framework/forms.h"
#include "framework/sysutils.h"
#include "framework/system_metrics.h"
#include "framework/timer.h"
#include "framework/window_backend.h"
#include "framework/windows_gdi.h"

using lumora_detail::IsLiveControl;

namespace {

void FillSolid(TCanvas* c, const TRect& r, TColor colour) {
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(colour);
    c->FillRect(r);
}

void Line(TCanvas* c, TColor colour, Integer x1, Integer y1, Integer x2, Integer y2) {
    c->GetPen()->SetStyle(psSolid);
    c->GetPen()->SetWidth(1);
    c->GetPen()->SetColor(colour);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

}  // namespace

// ---- TCustomTabControl -----------------------------------------------------------------------

TCustomTabControl::TCustomTabControl(TComponent* AOwner) : TCustomControl(AOwner), FTabs(new TStringList) {
    SetControlStyle(TControlStyle{csAcceptsControls, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
    SetColor(clBtnFace);
    FTabs->OnChange = [this](TObject*) { TabsChanged(); };
}

TCustomTabControl::~TCustomTabControl() {
    FTabs->OnChange = nullptr;
    delete FTabs;
}

void TCustomTabControl::SetTabs(TStrings* Value) { FTabs->Assign(Value); }

void TCustomTabControl::TabsChanged() {
    if (FTabIndex >= FTabs->GetCount()) FTabIndex = FTabs->GetCount() - 1;
    if (FTabIndex < 0 && FTabs->GetCount() > 0 && !dynamic_cast<TPageControl*>(this)) FTabIndex = 0;
    if (FFirstTab >= FTabs->GetCount()) FFirstTab = 0;
    Realign();
    Invalidate();
}

void TCustomTabControl::SetTabIndex(Integer Value) {
    if (Value < -1 || Value >= FTabs->GetCount()) Value = -1;
    if (Value == FTabIndex) return;
    FTabIndex = Value;
    Invalidate();
}

void TCustomTabControl::SetTabPosition(TTabPosition Value) {
    if (FTabPosition == Value) return;
    FTabPosition = Value;
    Realign();
    Invalidate();
}

void TCustomTabControl::SetStyle(TTabStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Realign();
    Invalidate();
}

void TCustomTabControl::SetTabHeight(Integer Value) {
    if (FTabHeight == Value || Value < 0) return;
    FTabHeight = Value;
    Realign();
    Invalidate();
}

void TCustomTabControl::SetTabWidth(Integer Value) {
    if (FTabWidth == Value || Value < 0) return;
    FTabWidth = Value;
    Invalidate();
}

void TCustomTabControl::SetHotTrack(bool Value) {
    FHotTrack = Value;
    if (!Value) FHotTab = -1;
    Invalidate();
}

void TCustomTabControl::SetOwnerDraw(bool Value) {
    FOwnerDraw = Value;
    Invalidate();
}

void TCustomTabControl::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (Value) Value->FreeNotification(this);
    Realign();
    Invalidate();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

Integer TCustomTabControl::StripThickness() {
    Integer t = FTabHeight;
    if (t <= 0) {
        t = lumora_paint::MeasureCanvas(GetFont())->TextHeight("Wg") + 6;
        if (FImages) t = std::max(t, FImages->GetHeight() + 6);
    }
    return t + 2;
}

Integer TCustomTabControl::TabLength(Integer Index) {
    if (FTabWidth > 0) return FTabWidth;
    Integer w = lumora_paint::MeasureCanvas(GetFont())->TextWidth(StripHotkey(FTabs->Get(Index))) + 12;
    if (FImages && GetImageIndex(Index) >= 0) w += FImages->GetWidth() + 3;
    return w;
}

TRect TCustomTabControl::ScrollerRect() {
    TRect cr = GetClientRect();
    Integer total = 0;
    for (Integer i = 0; i < FTabs->GetCount(); ++i) total += TabLength(i);
    Integer avail = (Vertical() ? cr.Height() : cr.Width()) - 4;
    if (total <= avail) return {};
    Integer s = StripThickness() - 4;
    Integer size = std::min(16, std::max(8, s));
    switch (FTabPosition) {
    case tpTop: return {cr.Right - 2 * size, 2, cr.Right, 2 + size};
    case tpBottom: return {cr.Right - 2 * size, cr.Bottom - 2 - size, cr.Right, cr.Bottom - 2};
    case tpLeft: return {2, cr.Bottom - 2 * size, 2 + size, cr.Bottom};
    default: return {cr.Right - 2 - size, cr.Bottom - 2 * size, cr.Right - 2, cr.Bottom};
    }
}

TRect TCustomTabControl::TabRect(Integer Index) {
    if (Index < 0 || Index >= FTabs->GetCount() || Index < FFirstTab) return {};
    TRect cr = GetClientRect();
    Integer pos = 2;
    for (Integer i = FFirstTab; i < Index; ++i) pos += TabLength(i);
    Integer len = TabLength(Index);
    Integer th = StripThickness() - 2;
    TRect scroller = ScrollerRect();
    Integer limit = Vertical() ? cr.Height() : cr.Width();
    if (scroller.Right > scroller.Left) limit = Vertical() ? scroller.Top : scroller.Left;
    if (pos >= limit) return {};
    TRect r;
    switch (FTabPosition) {
    case tpTop: r = {pos, 2, pos + len, 2 + th}; break;
    case tpBottom: r = {pos, cr.Bottom - 2 - th, pos + len, cr.Bottom - 2}; break;
    case tpLeft: r = {2, pos, 2 + th, pos + len}; break;
    case tpRight: r = {cr.Right - 2 - th, pos, cr.Right - 2, pos + len}; break;
    }
    return r;
}

Integer TCustomTabControl::IndexOfTabAt(Integer X, Integer Y) {
    TPoint p{X, Y};
    // The active tab stands out a little: it is hit first.
    if (FTabIndex >= 0) {
        TRect r = TabRect(FTabIndex);
        if (FStyle == tsTabs) InflateRect(&r, 2, 2);
        if (PtInRect(&r, p)) return FTabIndex;
    }
    for (Integer i = FFirstTab; i < FTabs->GetCount(); ++i) {
        TRect r = TabRect(i);
        if (PtInRect(&r, p)) return i;
    }
    return -1;
}

TRect TCustomTabControl::DisplayRect() {
    TRect cr = GetClientRect();
    Integer s = FTabs->GetCount() > 0 || FStyle == tsTabs ? StripThickness() : 0;
    TRect r = cr;
    switch (FTabPosition) {
    case tpTop: r.Top += s; break;
    case tpBottom: r.Bottom -= s; break;
    case tpLeft: r.Left += s; break;
    case tpRight: r.Right -= s; break;
    }
    if (FStyle == tsTabs) {
        InflateRect(&r, -4, -4);
    }
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
}

Integer TCustomTabControl::GetImageIndex(Integer TabIndex) {
    Integer index = TabIndex;
    if (OnGetImageIndex) OnGetImageIndex(this, TabIndex, index);
    return index;
}

bool TCustomTabControl::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change() {
    if (OnChange) OnChange(this);
}

bool TCustomTabControl::UserSelectTab(Integer Index) {
    if (Index < 0 || Index >= FTabs->GetCount() || Index == FTabIndex) return false;
    if (!CanChange()) return false;
    FTabIndex = Index;
    if (Index < FFirstTab) FFirstTab = Index;
    while (Index > FFirstTab && TabRect(Index).Right == 0 && TabRect(Index).Bottom == 0) ++FFirstTab;
    Invalidate();
    Change();
    return true;
}

void TCustomTabControl::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TCustomTabControl::DrawTab(Integer TabIndex, const TRect& Rect, bool Active) {
    if (FOwnerDraw && OnDrawTab) {
        OnDrawTab(this, TabIndex, Rect, Active);
        return;
    }
    TCanvas* c = GetCanvas();
    TRect r = Rect;
    Integer image = FImages ? GetImageIndex(TabIndex) : -1;
    std::string text = FTabs->Get(TabIndex);
    c->SetFont(GetFont());
    if (FHotTrack && TabIndex == FHotTab && !Active) c->GetFont()->SetColor(clHotLight);
    c->GetBrush()->SetStyle(bsClear);
    bool vertical = Vertical();
    if (image >= 0 && image < FImages->GetCount()) {
        Integer iw = FImages->GetWidth(), ih = FImages->GetHeight();
        if (vertical) {
            FImages->Draw(c, r.Left + (r.Width() - iw) / 2, r.Top + 4, image, GetEnabled());
            r.Top += ih + 6;
        } else {
            FImages->Draw(c, r.Left + 6, r.Top + (r.Height() - ih) / 2, image, GetEnabled());
            r.Left += iw + 6 + 3;
            r.Right += 3;
        }
    }
    if (vertical) {
        // Text along the side, rotated as the tabs are.
        TFont rotated;
        rotated.Assign(GetFont());
        LOGFONT lf = rotated.GetLogFont();
        lf.lfEscapement = lf.lfOrientation = FTabPosition == tpLeft ? 900 : 2700;
        HFONT h = CreateFontIndirect(&lf);
        rotated.SetHandle(h);
        DeleteObject(h);
        c->SetFont(&rotated);
        Integer tw = c->TextWidth(StripHotkey(text)), th = c->TextHeight(StripHotkey(text));
        Integer x = r.Left + (r.Width() - th) / 2, y = r.Top + (r.Height() + tw) / 2;
        if (FTabPosition == tpRight) {
            x = r.Right - (r.Width() - th) / 2;
            y = r.Top + (r.Height() - tw) / 2;
        }
        c->TextOut(x, y, StripHotkey(text));
        c->SetFont(GetFont());
        return;
    }
    if (!GetEnabled()) c->GetFont()->SetColor(clGrayText);
    DrawText(c->GetHandle(), text, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TCustomTabControl::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    FillSolid(c, cr, GetColor());
    Integer strip = StripThickness();
    if (FStyle == tsTabs) {
        TRect frame = cr;
        switch (FTabPosition) {
        case tpTop: frame.Top += strip - 2; break;
        case tpBottom: frame.Bottom -= strip - 2; break;
        case tpLeft: frame.Left += strip - 2; break;
        case tpRight: frame.Right -= strip - 2; break;
        }
        DrawEdge(c->GetHandle(), &frame, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
    auto drawShape = [&](Integer i, bool active) {
        TRect r = TabRect(i);
        if (r.Right <= r.Left) return TRect{};
        if (FStyle != tsTabs) {
            if (active) {
                FillSolid(c, r, FStyle == tsFlatButtons ? TColor(clBtnHighlight) : GetColor());
                DrawEdge(c->GetHandle(), &r, FStyle == tsFlatButtons ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
            } else {
                TRect e = r;
                if (FStyle == tsButtons) DrawEdge(c->GetHandle(), &e, EDGE_RAISED, BF_RECT);
            }
            return r;
        }
        if (active) {
            switch (FTabPosition) {
            case tpTop: r = {r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 1}; break;
            case tpBottom: r = {r.Left - 2, r.Top - 1, r.Right + 2, r.Bottom + 2}; break;
            case tpLeft: r = {r.Left - 2, r.Top - 2, r.Right + 1, r.Bottom + 2}; break;
            case tpRight: r = {r.Left - 1, r.Top - 2, r.Right + 2, r.Bottom + 2}; break;
            }
        }
        FillSolid(c, r, GetColor());
        Integer l = r.Left, t = r.Top, rr = r.Right - 1, b = r.Bottom - 1;
        switch (FTabPosition) {
        case tpTop:
            Line(c, clBtnHighlight, l, b + (active ? 1 : 0), l, t + 2);
            Line(c, clBtnHighlight, l + 1, t + 1, l + 2, t);
            Line(c, clBtnHighlight, l + 2, t, rr - 1, t);
            Line(c, cl3DDkShadow, rr, t + 2, rr, b + (active ? 1 : 0));
            Line(c, cl3DDkShadow, rr - 1, t + 1, rr, t + 2);
            Line(c, clBtnShadow, rr - 1, t + 2, rr - 1, b + (active ? 1 : 0));
            break;
        case tpBottom:
            Line(c, clBtnHighlight, l, t - (active ? 1 : 0), l, b - 1);
            Line(c, cl3DDkShadow, l + 1, b, rr - 1, b);
            Line(c, clBtnShadow, l + 2, b - 1, rr - 1, b - 1);
            Line(c, cl3DDkShadow, rr, t - (active ? 1 : 0), rr, b - 1);
            Line(c, clBtnShadow, rr - 1, t, rr - 1, b - 1);
            break;
        case tpLeft:
            Line(c, clBtnHighlight, l, t + 2, l, b - 1);
            Line(c, clBtnHighlight, l + 2, t, rr + (active ? 1 : 0), t);
            Line(c, clBtnHighlight, l + 1, t + 1, l + 2, t);
            Line(c, cl3DDkShadow, l + 2, b, rr + (active ? 1 : 0), b);
            Line(c, clBtnShadow, l + 2, b - 1, rr + (active ? 1 : 0), b - 1);
            break;
        case tpRight:
            Line(c, clBtnHighlight, l - (active ? 1 : 0), t, rr - 1, t);
            Line(c, cl3DDkShadow, rr, t + 2, rr, b - 1);
            Line(c, clBtnShadow, rr - 1, t + 1, rr - 1, b - 1);
            Line(c, cl3DDkShadow, l - (active ? 1 : 0), b, rr - 1, b);
            break;
        }
        return r;
    };
    for (Integer i = FFirstTab; i < FTabs->GetCount(); ++i) {
        if (i == FTabIndex) continue;
        TRect r = drawShape(i, false);
        if (r.Right > r.Left) DrawTab(i, r, false);
    }
    if (FTabIndex >= FFirstTab && FTabIndex < FTabs->GetCount()) {
        TRect r = drawShape(FTabIndex, true);
        if (r.Right > r.Left) {
            DrawTab(FTabIndex, r, true);
            if (Focused()) {
                TRect f = r;
                InflateRect(&f, -3, -3);
                c->GetBrush()->SetStyle(bsSolid);
                c->GetBrush()->SetColor(GetColor());
                c->GetFont()->SetColor(clBtnText);
                c->DrawFocusRect(f);
            }
        }
    }
    TRect scroller = ScrollerRect();
    if (scroller.Right > scroller.Left) {
        bool vertical = Vertical();
        Integer half = vertical ? scroller.Height() / 2 : scroller.Width() / 2;
        TRect a = scroller, b = scroller;
        if (vertical) {
            a.Bottom = a.Top + half;
            b.Top = a.Bottom;
        } else {
            a.Right = a.Left + half;
            b.Left = a.Right;
        }
        DrawFrameControl(c->GetHandle(), &a, DFC_SCROLL, (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | (FFirstTab == 0 ? DFCS_INACTIVE : 0));
        DrawFrameControl(c->GetHandle(), &b, DFC_SCROLL, vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT);
    }
}

void TCustomTabControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (Button == mbLeft) {
        TRect scroller = ScrollerRect();
        if (scroller.Right > scroller.Left && PtInRect(&scroller, {X, Y})) {
            bool back = Vertical() ? Y < (scroller.Top + scroller.Bottom) / 2 : X < (scroller.Left + scroller.Right) / 2;
            FFirstTab = std::clamp(FFirstTab + (back ? -1 : 1), 0, std::max(0, FTabs->GetCount() - 1));
            Invalidate();
        } else {
            Integer i = IndexOfTabAt(X, Y);
            if (i >= 0) {
                if (FStyle == tsTabs && CanFocus() && !Focused()) SetFocus();
                if (!IsLiveControl(this)) return;
                UserSelectTab(i);
                if (!IsLiveControl(this)) return;
            }
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomTabControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    if (FHotTrack) {
        Integer hot = IndexOfTabAt(X, Y);
        if (hot != FHotTab) {
            FHotTab = hot;
            Invalidate();
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomTabControl::CMMouseLeave(TMessage& Message) {
    TCustomControl::CMMouseLeave(Message);
    if (FHotTab >= 0) {
        FHotTab = -1;
        Invalidate();
    }
}

void TCustomTabControl::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0 || FTabs->GetCount() == 0) return;
    Integer target = -1;
    switch (Key) {
    case VK_LEFT:
    case VK_UP: target = FTabIndex - 1; break;
    case VK_RIGHT:
    case VK_DOWN: target = FTabIndex + 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = FTabs->GetCount() - 1; break;
    default: return;
    }
    if (target >= 0 && target < FTabs->GetCount()) UserSelectTab(target);
}

void TCustomTabControl::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TCustomTabControl::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    Invalidate();
}

void TCustomTabControl::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    Invalidate();
}

void TCustomTabControl::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    Invalidate();
}

void TCustomTabControl::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    Realign();
}

void TCustomTabControl::CMDialogChar(TMessage& Message) {
    for (Integer i = 0; i < FTabs->GetCount(); ++i)
        if (IsAccel(Word(Message.WParam), FTabs->Get(i)) && CanFocus()) {
            if (UserSelectTab(i) || i == FTabIndex) {
                Message.Result = 1;
                return;
            }
        }
    TCustomControl::CMDialogChar(Message);
}

// ---- TTabSheet and TPageControl --------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    SetAlign(alClient);
    SetVisible(false);
    SetParentColor(true);
}

TTabSheet::~TTabSheet() {
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
    if (FPageControl == Value) return;
    if (FPageControl) FPageControl->RemovePage(this);
    SetParent(Value);
    if (Value) Value->InsertPage(this);
}

void TTabSheet::SetParent(TWinControl* AParent) {
    TCustomControl::SetParent(AParent);
    auto* pc = dynamic_cast<TPageControl*>(AParent);
    if (pc != FPageControl) {
        if (FPageControl) FPageControl->RemovePage(this);
        if (pc) pc->InsertPage(this);
    }
}

Integer TTabSheet::GetPageIndex() const {
    if (!FPageControl) return -1;
    auto& v = FPageControl->FPages;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : Integer(it - v.begin());
}

void TTabSheet::SetPageIndex(Integer Value) {
    if (!FPageControl) return;
    auto& v = FPageControl->FPages;
    Value = std::clamp(Value, 0, Integer(v.size()) - 1);
    v.erase(std::find(v.begin(), v.end(), this));
    v.insert(v.begin() + Value, this);
    FPageControl->UpdateTabs();
}

Integer TTabSheet::GetTabIndex() const {
    if (!FPageControl || !FTabVisible) return -1;
    Integer n = 0;
    for (TTabSheet* p : FPageControl->FPages) {
        if (p == this) return n;
        if (p->FTabVisible) ++n;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
    if (FTabVisible == Value) return;
    FTabVisible = Value;
    if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::SetImageIndex(Integer Value) {
    FImageIndex = Value;
    if (FPageControl) FPageControl->Invalidate();
}

void TTabSheet::SetHighlighted(bool Value) {
    FHighlighted = Value;
    if (FPageControl) FPageControl->Invalidate();
}

void TTabSheet::CMTextChanged(TMessage& Message) {
    if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::CMShowingChanged(TMessage& Message) {
    TCustomControl::CMShowingChanged(Message);
    try {
        if (GetShowing())
            DoShow();
        else
            DoHide();
    } catch (...) {
        Application->HandleException(this);
    }
}

void TTabSheet::DoShow() {
    if (OnShow) OnShow(this);
}

void TTabSheet::DoHide() {
    if (OnHide) OnHide(this);
}

void TTabSheet::Paint() { FillSolid(GetCanvas(), GetClientRect(), GetColor()); }

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {
    SetControlStyle(TControlStyle{csDoubleClicks, csOpaque});
}

TPageControl::~TPageControl() {
    for (TTabSheet* p : FPages) p->FPageControl = nullptr;
}

TTabSheet* TPageControl::GetPage(Integer Index) const {
    if (Index < 0 || Index >= Integer(FPages.size())) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FPages[size_t(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
    if (std::find(FPages.begin(), FPages.end(), Page) != FPages.end()) return;
    FPages.push_back(Page);
    Page->FPageControl = this;
    UpdateTabs();
}

void TPageControl::RemovePage(TTabSheet* Page) {
    auto it = std::find(FPages.begin(), FPages.end(), Page);
    if (it == FPages.end()) return;
    TTabSheet* next = FindNextPage(Page, true, !IsDestroying());
    if (next == Page) next = nullptr;
    FPages.erase(it);
    Page->FPageControl = nullptr;
    if (FActivePage == Page) {
        FActivePage = nullptr;
        if (!IsDestroying()) ChangeActivePage(next);
    }
    if (!IsDestroying()) UpdateTabs();
}

void TPageControl::UpdateTabs() {
    FTabs->BeginUpdate();
    FTabs->Clear();
    for (TTabSheet* p : FPages)
        if (p->FTabVisible) FTabs->AddObject(p->GetCaption(), p);
    FTabs->EndUpdate();
    FTabIndex = FActivePage ? FActivePage->GetTabIndex() : -1;
    Invalidate();
}

TTabSheet* TPageControl::PageForTab(Integer TabIndex) const {
    Integer n = 0;
    for (TTabSheet* p : FPages)
        if (p->FTabVisible) {
            if (n == TabIndex) return p;
            ++n;
        }
    return nullptr;
}

Integer TPageControl::GetImageIndex(Integer TabIndex) {
    TTabSheet* p = PageForTab(TabIndex);
    Integer index = p ? p->GetImageIndex() : TabIndex;
    if (OnGetImageIndex) OnGetImageIndex(this, TabIndex, index);
    return index;
}

void TPageControl::ChangeActivePage(TTabSheet* Page) {
    if (FActivePage == Page) return;
    TCustomForm* form = GetParentForm(this);
    bool focusInside = form && FActivePage && form->GetActiveControl() && FActivePage->ContainsControl(form->GetActiveControl());
    TTabSheet* old = FActivePage;
    FActivePage = Page;
    if (Page) {
        Page->BringToFront();
        Page->SetVisible(true);
    }
    if (old) old->SetVisible(false);
    if (focusInside && IsLiveControl(this)) {
        TWinControl* target = nullptr;
        if (Page) target = Page->FindNextControl(nullptr, true, true, false);
        if (!target && CanFocus()) target = this;
        if (target && target->CanFocus()) target->SetFocus();
    }
    FTabIndex = Page ? Page->GetTabIndex() : -1;
    Invalidate();
}

void TPageControl::SetActivePage(TTabSheet* Value) {
    if (Value && Value->FPageControl != this) return;
    ChangeActivePage(Value);
}

Integer TPageControl::GetActivePageIndex() const { return FActivePage ? FActivePage->GetPageIndex() : -1; }

void TPageControl::SetActivePageIndex(Integer Value) {
    if (Value >= 0 && Value < Integer(FPages.size()))
        SetActivePage(FPages[size_t(Value)]);
    else
        SetActivePage(nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) {
    if (FPages.empty()) return nullptr;
    Integer n = Integer(FPages.size());
    auto it = std::find(FPages.begin(), FPages.end(), CurPage);
    Integer start = it == FPages.end() ? (GoForward ? n - 1 : 0) : Integer(it - FPages.begin());
    Integer i = start;
    for (Integer k = 0; k < n; ++k) {
        i = GoForward ? (i + 1) % n : (i + n - 1) % n;
        TTabSheet* p = FPages[size_t(i)];
        if (!CheckTabVisible || p->FTabVisible) return p;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
    TTabSheet* page = FindNextPage(FActivePage, GoForward, CheckTabVisible);
    if (page && page != FActivePage && CanChange()) {
        SetActivePage(page);
        Change();
    }
}

bool TPageControl::CanChange() { return TCustomTabControl::CanChange(); }

void TPageControl::Change() {
    if (FTabIndex >= 0) ChangeActivePage(PageForTab(FTabIndex));
    TCustomTabControl::Change();
}

void TPageControl::CMDialogKey(TMessage& Message) {
    HWND focus = GetFocus();
    if (Word(Message.WParam) == VK_TAB && GetKeyState(VK_CONTROL) < 0 && focus && ContainsControl(focus)) {
        SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
        Message.Result = 1;
        return;
    }
    TCustomTabControl::CMDialogKey(Message);
}

void TPageControl::Loaded() {
    TCustomTabControl::Loaded();
    UpdateTabs();
}

// ---- Scroll boxes ----------------------------------------------------------------------------

void TControlScrollBar::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TControlScrollBar*>(Source)) {
        FIncrement = s->FIncrement;
        FMargin = s->FMargin;
        FTracking = s->FTracking;
        FVisible = s->FVisible;
        SetRange(s->FRange);
        SetPosition(s->FPosition);
        return;
    }
    TPersistent::Assign(Source);
}

Integer TControlScrollBar::PageSize() const {
    return FKind == sbHorizontal ? FControl->GetClientWidth() : FControl->GetClientHeight();
}

bool TControlScrollBar::IsScrollBarVisible() const { return FVisible && FRange > PageSize(); }

void TControlScrollBar::SetMargin(Integer Value) {
    FMargin = Value;
    if (FControl->FAutoScroll) FControl->Realign();
}

void TControlScrollBar::SetRange(Integer Value) {
    Value = std::max(0, Value);
    if (FRange == Value) return;
    FRange = Value;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(Integer Value) {
    Integer maxPos = std::max(0, FRange - PageSize());
    Value = std::clamp(Value, 0, maxPos);
    if (Value == FPosition) return;
    Integer delta = FPosition - Value;
    FPosition = Value;
    if (FKind == sbHorizontal)
        FControl->ScrollBy(delta, 0);
    else
        FControl->ScrollBy(0, delta);
    Update();
}

void TControlScrollBar::Update() {
    if (!FControl->HandleAllocated()) return;
    Integer bar = FKind == sbHorizontal ? SB_HORZ : SB_VERT;
    TScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = FVisible ? std::max(0, FRange - 1) : 0;
    si.nPage = UINT(PageSize() + 1);
    si.nPos = FPosition;
    if (!FVisible) si.nPage = 1;
    SetScrollInfo(FControl, bar, si, true);
}

void TControlScrollBar::ScrollMessage(TMessage& Message) {
    Integer page = std::max(1, PageSize() * 9 / 10);
    switch (ScrollCode(Message)) {
    case SB_LINEUP: SetPosition(FPosition - FIncrement); break;
    case SB_LINEDOWN: SetPosition(FPosition + FIncrement); break;
    case SB_PAGEUP: SetPosition(FPosition - page); break;
    case SB_PAGEDOWN: SetPosition(FPosition + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: SetPosition(::ScrollPos(Message)); break;
    case SB_TOP: SetPosition(0); break;
    case SB_BOTTOM: SetPosition(FRange); break;
    default: break;
    }
}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TCustomControl(AOwner),
      FHorzScrollBar(new TControlScrollBar(this, sbHorizontal)),
      FVertScrollBar(new TControlScrollBar(this, sbVertical)) {
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
}

TScrollingWinControl::~TScrollingWinControl() {
    delete FHorzScrollBar;
    delete FVertScrollBar;
}

void TScrollingWinControl::CreateWnd() {
    TCustomControl::CreateWnd();
    CalcAutoRange();
    UpdateScrollBars();
}

void TScrollingWinControl::SetAutoScroll(bool Value) {
    if (FAutoScroll == Value) return;
    FAutoScroll = Value;
    if (Value)
        CalcAutoRange();
    else {
        FHorzScrollBar->SetRange(0);
        FVertScrollBar->SetRange(0);
    }
}

void TScrollingWinControl::ScrollBy(Integer DeltaX, Integer DeltaY) {
    if (DeltaX == 0 && DeltaY == 0) return;
    FScrolling = true;
    DisableAlign();
    try {
        for (int i = 0; i < GetControlCount(); ++i) {
            TControl* c = GetControl(i);
            c->SetBounds(c->GetLeft() + DeltaX, c->GetTop() + DeltaY, c->GetWidth(), c->GetHeight());
        }
    } catch (...) {
        FScrolling = false;
        EnableAlign();
        throw;
    }
    FScrolling = false;
    EnableAlign();
    Invalidate();
}

void TScrollingWinControl::CalcAutoRange() {
    if (!FAutoScroll || IsLoading()) return;
    Integer right = 0, bottom = 0;
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* c = GetControl(i);
        if (!c->GetVisible()) continue;
        if (c->GetAlign() == alNone || c->GetAlign() == alLeft || c->GetAlign() == alRight)
            right = std::max(right, c->GetLeft() + c->GetWidth() + FHorzScrollBar->FPosition);
        if (c->GetAlign() == alNone || c->GetAlign() == alTop || c->GetAlign() == alBottom)
            bottom = std::max(bottom, c->GetTop() + c->GetHeight() + FVertScrollBar->FPosition);
    }
    FHorzScrollBar->FRange = right > 0 ? right + FHorzScrollBar->FMargin : 0;
    FVertScrollBar->FRange = bottom > 0 ? bottom + FVertScrollBar->FMargin : 0;
    UpdateScrollBars();
}

void TScrollingWinControl::UpdateScrollBars() {
    if (FUpdatingScrollBars || !HandleAllocated()) return;
    FUpdatingScrollBars = true;
    try {
        // Twice: a bar that appears narrows the other dimension.
        for (int pass = 0; pass < 2; ++pass) {
            for (TControlScrollBar* b : {FHorzScrollBar, FVertScrollBar}) {
                Integer maxPos = std::max(0, b->FRange - b->PageSize());
                if (b->FPosition > maxPos) {
                    Integer delta = b->FPosition - maxPos;
                    b->FPosition = maxPos;
                    if (b->FKind == sbHorizontal)
                        ScrollBy(delta, 0);
                    else
                        ScrollBy(0, delta);
                }
                b->Update();
            }
        }
    } catch (...) {
        FUpdatingScrollBars = false;
        throw;
    }
    FUpdatingScrollBars = false;
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    TCustomControl::AlignControls(AControl, Rect);
    if (!FScrolling) CalcAutoRange();
}

void TScrollingWinControl::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    UpdateScrollBars();
}

void TScrollingWinControl::WMHScroll(TMessage& Message) { FHorzScrollBar->ScrollMessage(Message); }
void TScrollingWinControl::WMVScroll(TMessage& Message) { FVertScrollBar->ScrollMessage(Message); }

bool TScrollingWinControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    TControlScrollBar* b = Shift.Contains(ssShift) || !FVertScrollBar->IsScrollBarVisible() ? FHorzScrollBar : FVertScrollBar;
    if (!b->IsScrollBarVisible()) return false;
    b->SetPosition(b->GetPosition() - WheelDelta / WHEEL_DELTA * b->GetIncrement() * Mouse->GetWheelScrollLines());
    return true;
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
    if (!AControl || !ContainsControl(AControl) || AControl == this) return;
    TPoint tl = ScreenToClient(AControl->ClientToScreen({0, 0}));
    TRect r{tl.X, tl.Y, tl.X + AControl->GetWidth(), tl.Y + AControl->GetHeight()};
    TRect cr = GetClientRect();
    if (r.Left < 0)
        FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition + r.Left);
    else if (r.Right > cr.Right)
        FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition + std::min(r.Right - cr.Right, r.Left));
    if (r.Top < 0)
        FVertScrollBar->SetPosition(FVertScrollBar->FPosition + r.Top);
    else if (r.Bottom > cr.Bottom)
        FVertScrollBar->SetPosition(FVertScrollBar->FPosition + std::min(r.Bottom - cr.Bottom, r.Top));
}

void TScrollingWinControl::CMFocusChanged(TMessage& Message) {
    auto* c = reinterpret_cast<TWinControl*>(Message.LParam);
    if (FAutoScroll && c && c != this && ContainsControl(c)) ScrollInView(c);
    TCustomControl::CMFocusChanged(Message);
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csSetCaption});
    SetBounds(0, 0, 185, 41);
    SetParentColor(true);
}

void TScrollBox::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
    FrameChanged();
}

void TScrollBox::CreateParams(TCreateParams& Params) {
    TScrollingWinControl::CreateParams(Params);
    lumora_paint::AddBorderStyle(Params, FBorderStyle, GetCtl3D());
}

void TScrollBox::Paint() { FillSolid(GetCanvas(), GetClientRect(), GetColor()); }

// ---- TSplitter -------------------------------------------------------------------------------

namespace {

// The line shown while a splitter is dragged: a thin window above everything.
class TSplitterLine : public TCustomPopupWindow {
    LUMORA_CLASS(TSplitterLine, TCustomPopupWindow)
public:
    using TCustomPopupWindow::TCustomPopupWindow;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomPopupWindow::CreateParams(Params);
        Params.Style &= ~WS_BORDER;
    }
    void Paint() override {
        TCanvas* c = GetCanvas();
        c->GetBrush()->SetBitmap(lumora_paint::PatternBitmap(clBlack, clWhite));
        c->FillRect(GetClientRect());
        c->GetBrush()->SetBitmap(nullptr);
    }
};

TSplitterLine* gSplitterLine = nullptr;

}  // namespace

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetAlign(alLeft);
    SetBounds(0, 0, 3, 100);
    SetCursor(crHSplit);
    SetParentColor(true);
    SetControlStyle(TControlStyle{csCaptureMouse});
}

void TSplitter::SetBeveled(bool Value) {
    FBeveled = Value;
    Invalidate();
}

void TSplitter::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_WINDOWPOSCHANGED || Message.Msg == CM_VISIBLECHANGED) UpdateCursor();
    TGraphicControl::Dispatch(Message);
}

void TSplitter::UpdateCursor() {
    TAlign a = GetAlign();
    SetCursor(a == alTop || a == alBottom ? crVSplit : crHSplit);
}

TControl* TSplitter::FindControl() {
    TWinControl* p = GetParent();
    if (!p) return nullptr;
    TPoint at{GetLeft(), GetTop()};
    switch (GetAlign()) {
    case alLeft: at.X -= 1; break;
    case alRight: at.X += GetWidth(); break;
    case alTop: at.Y -= 1; break;
    case alBottom: at.Y += GetHeight(); break;
    default: return nullptr;
    }
    for (int i = 0; i < p->GetControlCount(); ++i) {
        TControl* c = p->GetControl(i);
        if (c == this || !c->GetVisible() || !c->GetEnabled()) continue;
        if (c->GetAlign() != GetAlign() && c->GetAlign() != alClient) continue;
        TRect r = c->GetBoundsRect();
        if (r.Width() == 0) {
            if (GetAlign() == alLeft || GetAlign() == alRight) --r.Left; else ++r.Right;
        }
        if (r.Height() == 0) {
            if (GetAlign() == alTop || GetAlign() == alBottom) --r.Top; else ++r.Bottom;
        }
        if (PtInRect(&r, at) && c->GetAlign() == GetAlign()) return c;
    }
    return nullptr;
}

void TSplitter::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    FillSolid(c, r, GetColor());
    if (FBeveled) {
        if (GetAlign() == alLeft || GetAlign() == alRight)
            InflateRect(&r, -1, 2);
        else
            InflateRect(&r, 2, -1);
        TRect e = r;
        DrawEdge(c->GetHandle(), &e, BDR_RAISEDINNER, BF_RECT);
    }
    if (OnPaint) OnPaint(this);
}

bool TSplitter::DoCanResize(Integer& NewSize) {
    bool accept = true;
    if (OnCanResize) OnCanResize(this, NewSize, accept);
    if (accept && NewSize <= FMinSize && FAutoSnap) NewSize = 0;
    return accept;
}

void TSplitter::CalcSplitSize(Integer X, Integer Y, Integer& NewSize, Integer& Split) {
    bool horizontal = GetAlign() == alLeft || GetAlign() == alRight;
    Integer s = horizontal ? X - FDownPos.X : Y - FDownPos.Y;
    if (GetAlign() == alRight || GetAlign() == alBottom) s = -s;
    Integer old = horizontal ? FControl->GetWidth() : FControl->GetHeight();
    NewSize = old + s;
    if (NewSize < FMinSize && !FAutoSnap) NewSize = FMinSize;
    else if (NewSize < FMinSize) NewSize = NewSize < FMinSize / 2 ? 0 : FMinSize;
    if (NewSize > FMaxSize) NewSize = FMaxSize;
    Split = NewSize - old;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    FControl = FindControl();
    FDownPos = {X, Y};
    if (!FControl) return;
    TWinControl* p = GetParent();
    bool horizontal = GetAlign() == alLeft || GetAlign() == alRight;
    FMaxSize = (horizontal ? p->GetClientWidth() : p->GetClientHeight()) - FMinSize;
    for (int i = 0; i < p->GetControlCount(); ++i) {
        TControl* c = p->GetControl(i);
        if (!c->GetVisible()) continue;
        if (horizontal && (c->GetAlign() == alLeft || c->GetAlign() == alRight)) FMaxSize -= c->GetWidth();
        if (!horizontal && (c->GetAlign() == alTop || c->GetAlign() == alBottom)) FMaxSize -= c->GetHeight();
    }
    FMaxSize += horizontal ? FControl->GetWidth() : FControl->GetHeight();
    FOldSize = horizontal ? FControl->GetWidth() : FControl->GetHeight();
    FNewSize = FOldSize;
    FSplit = 0;
    if (FResizeStyle == rsLine || FResizeStyle == rsPattern) DrawLine();
}

void TSplitter::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!Shift.Contains(ssLeft) || !FControl) return;
    Integer newSize, split;
    CalcSplitSize(X, Y, newSize, split);
    if (!DoCanResize(newSize)) return;
    FNewSize = newSize;
    FSplit = newSize - FOldSize;
    if (FResizeStyle == rsUpdate)
        UpdateControlSize();
    else if (FResizeStyle == rsLine || FResizeStyle == rsPattern)
        DrawLine();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FControl) return;
    UpdateControlSize();
    StopSizing();
}

void TSplitter::UpdateControlSize() {
    if (!FControl || FNewSize == FOldSize) return;
    TWinControl* p = GetParent();
    switch (GetAlign()) {
    case alLeft: FControl->SetWidth(FNewSize); break;
    case alTop: FControl->SetHeight(FNewSize); break;
    case alRight:
        p->DisableAlign();
        FControl->SetBounds(FControl->GetLeft() + FControl->GetWidth() - FNewSize, FControl->GetTop(), FNewSize, FControl->GetHeight());
        p->EnableAlign();
        break;
    case alBottom:
        p->DisableAlign();
        FControl->SetBounds(FControl->GetLeft(), FControl->GetTop() + FControl->GetHeight() - FNewSize, FControl->GetWidth(), FNewSize);
        p->EnableAlign();
        break;
    default: break;
    }
    FOldSize = FNewSize;
    if (OnMoved) OnMoved(this);
}

void TSplitter::DrawLine() {
    if (!gSplitterLine) gSplitterLine = new TSplitterLine(Application);
    TWinControl* p = GetParent();
    bool horizontal = GetAlign() == alLeft || GetAlign() == alRight;
    Integer split = FSplit;
    if (GetAlign() == alRight || GetAlign() == alBottom) split = -split;
    TPoint tl = p->ClientToScreen({GetLeft() + (horizontal ? split : 0), GetTop() + (horizontal ? 0 : split)});
    gSplitterLine->SetBounds(tl.X, tl.Y, GetWidth(), GetHeight());
    if (!gSplitterLine->IsPoppedUp()) gSplitterLine->Popup(tl);
    FLineVisible = true;
}

void TSplitter::StopSizing() {
    FControl = nullptr;
    if (FLineVisible && gSplitterLine) gSplitterLine->ClosePopup();
    FLineVisible = false;
}

// ---- TStatusBar ------------------------------------------------------------------------------

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

void TStatusPanel::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TStatusPanel*>(Source)) {
        FText = s->FText;
        FWidth = s->FWidth;
        FAlignment = s->FAlignment;
        FBevel = s->FBevel;
        FStyle = s->FStyle;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

void TStatusPanel::SetText(const std::string& Value) {
    if (FText == Value) return;
    FText = Value;
    Changed(false);
}

void TStatusPanel::SetWidth(Integer Value) {
    if (FWidth == Value) return;
    FWidth = Value;
    Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
    FBevel = Value;
    Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value) {
    FStyle = Value;
    Changed(false);
}

TStatusPanels::TStatusPanels(TStatusBar* StatusBar) : TCollection(TStatusPanel::StaticClass(), StatusBar), FStatusBar(StatusBar) {}

void TStatusPanels::Update(TCollectionItem* Item) {
    if (!FStatusBar || FStatusBar->IsDestroying()) return;
    if (Item) {
        TRect r = FStatusBar->PanelRect(Item->GetIndex());
        FStatusBar->InvalidateRect(&r, false);
    } else {
        FStatusBar->Invalidate();
    }
}

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner), FPanels(new TStatusPanels(this)) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
    SetColor(clBtnFace);
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() { delete FPanels; }

void TStatusBar::SetSimplePanel(bool Value) {
    if (FSimplePanel == Value) return;
    FSimplePanel = Value;
    Invalidate();
}

void TStatusBar::SetSimpleText(const std::string& Value) {
    if (FSimpleText == Value) return;
    FSimpleText = Value;
    if (FSimplePanel) Invalidate();
}

void TStatusBar::SetSizeGrip(bool Value) {
    FSizeGrip = Value;
    Invalidate();
}

TRect TStatusBar::PanelRect(Integer Index) {
    TRect cr = GetClientRect();
    Integer x = 0;
    for (Integer i = 0; i < Index && i < FPanels->GetCount(); ++i) x += FPanels->GetItem(i)->GetWidth();
    Integer right = Index + 1 < FPanels->GetCount() ? x + FPanels->GetItem(Index)->GetWidth() - 2 : cr.Right;
    return {x, cr.Top + 2, std::max(x, right), cr.Bottom};
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& Rect) {
    if (OnDrawPanel) OnDrawPanel(this, Panel, Rect);
}

void TStatusBar::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TStatusBar::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    FillSolid(c, cr, GetColor());
    c->SetFont(GetFont());
    Integer grip = FSizeGrip ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    auto textIn = [&](TRect r, const std::string& text, TAlignment a) {
        InflateRect(&r, -2, -1);
        r.Left += 1;
        c->GetBrush()->SetStyle(bsClear);
        DrawText(c->GetHandle(), text, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | lumora_paint::AlignmentFlags(a));
    };
    if (FSimplePanel || FPanels->GetCount() == 0) {
        TRect r{cr.Left, cr.Top + 2, cr.Right - grip, cr.Bottom};
        if (FSimplePanel) {
            TRect e = r;
            DrawEdge(c->GetHandle(), &e, BDR_SUNKENOUTER, BF_RECT);
            textIn(r, FSimpleText, taLeftJustify);
        }
    } else {
        for (Integer i = 0; i < FPanels->GetCount(); ++i) {
            TStatusPanel* p = FPanels->GetItem(i);
            TRect r = PanelRect(i);
            if (i + 1 == FPanels->GetCount()) r.Right -= grip;
            if (r.Right <= r.Left) continue;
            if (p->GetBevel() != pbNone) {
                TRect e = r;
                DrawEdge(c->GetHandle(), &e, p->GetBevel() == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            }
            if (p->GetStyle() == psOwnerDraw) {
                TRect inner = r;
                InflateRect(&inner, -1, -1);
                lumora_paint::TClipScope clip(c, inner);
                c->GetBrush()->SetColor(GetColor());
                c->GetBrush()->SetStyle(bsSolid);
                DrawPanel(p, inner);
            } else {
                textIn(r, p->GetText(), p->GetAlignment());
            }
        }
    }
    if (FSizeGrip) {
        TRect g{cr.Right - grip, cr.Bottom - grip, cr.Right, cr.Bottom};
        DrawFrameControl(c->GetHandle(), &g, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
}

void TStatusBar::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    Invalidate();
}

// ---- TProgressBar ----------------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 150, 16);
    SetColor(clBtnFace);
    SetControlStyle(TControlStyle{csOpaque});
}

void TProgressBar::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_STATICEDGE;
}

void TProgressBar::SetMin(Integer Value) {
    FMin = Value;
    if (FPosition < FMin) FPosition = FMin;
    Invalidate();
}

void TProgressBar::SetMax(Integer Value) {
    FMax = Value;
    if (FPosition > FMax) FPosition = FMax;
    Invalidate();
}

void TProgressBar::SetPosition(Integer Value) {
    Value = std::clamp(Value, std::min(FMin, FMax), std::max(FMin, FMax));
    if (Value == FPosition) return;
    FPosition = Value;
    Invalidate();
}

void TProgressBar::StepBy(Integer Delta) {
    Integer range = FMax - FMin;
    Integer next = FPosition + Delta;
    if (range > 0 && next > FMax) next = FMin + (next - FMin) % range;
    if (range > 0 && next < FMin) next = FMax - (FMin - next) % range;
    SetPosition(next);
}

void TProgressBar::StepIt() { StepBy(FStep); }

void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
    FOrientation = Value;
    Invalidate();
}

void TProgressBar::SetSmooth(bool Value) {
    FSmooth = Value;
    Invalidate();
}

void TProgressBar::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    FillSolid(c, cr, GetColor());
    Integer range = FMax - FMin;
    if (range <= 0) return;
    TRect inner = cr;
    InflateRect(&inner, -1, -1);
    bool vertical = FOrientation == pbVertical;
    Integer length = vertical ? inner.Height() : inner.Width();
    Integer filled = Integer(int64_t(length) * (FPosition - FMin) / range);
    c->GetBrush()->SetColor(clHighlight);
    if (FSmooth) {
        TRect f = vertical ? TRect{inner.Left, inner.Bottom - filled, inner.Right, inner.Bottom}
                           : TRect{inner.Left, inner.Top, inner.Left + filled, inner.Bottom};
        c->FillRect(f);
        return;
    }
    Integer block = std::max(2, (vertical ? inner.Width() : inner.Height()) * 2 / 3);
    Integer step = block + 2;
    Integer blocks = filled <= 0 ? 0 : (filled + step - 1) / step;
    for (Integer i = 0; i < blocks; ++i) {
        Integer a = i * step, b = std::min(a + block, length);
        TRect f = vertical ? TRect{inner.Left, inner.Bottom - b, inner.Right, inner.Bottom - a}
                           : TRect{inner.Left + a, inner.Top, inner.Left + b, inner.Bottom};
        c->FillRect(f);
    }
}

// ---- TTrackBar -------------------------------------------------------------------------------

namespace {
constexpr Integer kTrackMargin = 8;
constexpr UINT_PTR kPageTimer = 1;
}  // namespace

TTrackBar::TTrackBar(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 150, 45);
    SetTabStop(true);
    SetParentColor(true);
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csOpaque});
}

void TTrackBar::Changed() {
    if (OnChange) OnChange(this);
}

void TTrackBar::SetMin(Integer Value) {
    FMin = Value;
    if (FMax < FMin) FMax = FMin;
    FPosition = std::clamp(FPosition, FMin, FMax);
    Invalidate();
}

void TTrackBar::SetMax(Integer Value) {
    FMax = Value;
    if (FMin > FMax) FMin = FMax;
    FPosition = std::clamp(FPosition, FMin, FMax);
    Invalidate();
}

void TTrackBar::SetPosition(Integer Value) {
    Value = std::clamp(Value, FMin, FMax);
    if (Value == FPosition) return;
    FPosition = Value;
    Invalidate();
    Changed();
}

void TTrackBar::SetFrequency(Integer Value) {
    FFrequency = Value;
    Invalidate();
}

void TTrackBar::SetOrientation(TTrackBarOrientation Value) {
    if (FOrientation == Value) return;
    FOrientation = Value;
    if (!IsLoading()) SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
    Invalidate();
}

void TTrackBar::SetTickMarks(TTickMark Value) {
    FTickMarks = Value;
    Invalidate();
}

void TTrackBar::SetTickStyle(TTickStyle Value) {
    FTickStyle = Value;
    Invalidate();
}

void TTrackBar::SetTick(Integer Value) {
    if (Value > FMin && Value < FMax) FTicks.push_back(Value);
    Invalidate();
}

void TTrackBar::SetThumbLength(Integer Value) {
    FThumbLength = std::max(4, Value);
    Invalidate();
}

void TTrackBar::SetSliderVisible(bool Value) {
    FSliderVisible = Value;
    Invalidate();
}

void TTrackBar::SetSelStart(Integer Value) {
    FSelStart = Value;
    Invalidate();
}

void TTrackBar::SetSelEnd(Integer Value) {
    FSelEnd = Value;
    Invalidate();
}

TRect TTrackBar::ChannelSpan() {
    TRect cr = GetClientRect();
    if (FOrientation == trHorizontal) return {cr.Left + kTrackMargin, 0, cr.Right - kTrackMargin, 0};
    return {0, cr.Top + kTrackMargin, 0, cr.Bottom - kTrackMargin};
}

Integer TTrackBar::PixelOf(Integer Position) {
    TRect s = ChannelSpan();
    Integer a = FOrientation == trHorizontal ? s.Left : s.Top;
    Integer b = FOrientation == trHorizontal ? s.Right : s.Bottom;
    if (FMax <= FMin) return a;
    return a + Integer(int64_t(b - a) * (Position - FMin) / (FMax - FMin));
}

Integer TTrackBar::PositionAt(TPoint P) {
    TRect s = ChannelSpan();
    Integer a = FOrientation == trHorizontal ? s.Left : s.Top;
    Integer b = FOrientation == trHorizontal ? s.Right : s.Bottom;
    Integer v = FOrientation == trHorizontal ? P.X : P.Y;
    if (b <= a || FMax <= FMin) return FMin;
    int64_t num = int64_t(v - a) * (FMax - FMin);
    Integer pos = FMin + Integer((num + (b - a) / 2) / (b - a));
    return std::clamp(pos, FMin, FMax);
}

TRect TTrackBar::ChannelRect() {
    TRect cr = GetClientRect();
    Integer across = FTickMarks == tmTopLeft ? (FOrientation == trHorizontal ? cr.Bottom : cr.Right) - FThumbLength / 2 - kTrackMargin
                     : FTickMarks == tmBoth ? (FOrientation == trHorizontal ? cr.Height() : cr.Width()) / 2
                                            : kTrackMargin + FThumbLength / 2;
    TRect s = ChannelSpan();
    if (FOrientation == trHorizontal) return {s.Left - 2, across - 2, s.Right + 2, across + 2};
    return {across - 2, s.Top - 2, across + 2, s.Bottom + 2};
}

TRect TTrackBar::ThumbRect() {
    TRect ch = ChannelRect();
    Integer p = PixelOf(FPosition);
    Integer half = FThumbLength / 2;
    Integer w = std::max(3, FThumbLength / 2 - 0) / 2;
    if (FOrientation == trHorizontal) {
        Integer mid = (ch.Top + ch.Bottom) / 2;
        return {p - w - 1, mid - half, p + w + 2, mid + half + 1};
    }
    Integer mid = (ch.Left + ch.Right) / 2;
    return {mid - half, p - w - 1, mid + half + 1, p + w + 2};
}

void TTrackBar::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    FillSolid(c, cr, GetColor());
    TRect ch = ChannelRect();
    TRect e = ch;
    DrawEdge(c->GetHandle(), &e, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillSolid(c, e, clWindow);
    if (FSelEnd > FSelStart) {
        Integer a = PixelOf(std::clamp(FSelStart, FMin, FMax)), b = PixelOf(std::clamp(FSelEnd, FMin, FMax));
        TRect sel = FOrientation == trHorizontal ? TRect{a, e.Top, b, e.Bottom} : TRect{e.Left, a, e.Right, b};
        FillSolid(c, sel, clHighlight);
    }
    // Ticks.
    if (FTickStyle != tsNone) {
        std::vector<Integer> ticks{FMin, FMax};
        if (FTickStyle == tsAuto && FFrequency > 0)
            for (Integer v = FMin + FFrequency; v < FMax; v += FFrequency) ticks.push_back(v);
        for (Integer t : FTicks) ticks.push_back(t);
        TRect thumb = ThumbRect();
        for (Integer t : ticks) {
            Integer p = PixelOf(t);
            Integer len = (t == FMin || t == FMax) ? 4 : 3;
            if (FOrientation == trHorizontal) {
                if (FTickMarks != tmTopLeft) Line(c, clBtnText, p, thumb.Bottom + 2, p, thumb.Bottom + 2 + len);
                if (FTickMarks != tmBottomRight) Line(c, clBtnText, p, thumb.Top - 2 - len, p, thumb.Top - 2);
            } else {
                if (FTickMarks != tmTopLeft) Line(c, clBtnText, thumb.Right + 2, p, thumb.Right + 2 + len, p);
                if (FTickMarks != tmBottomRight) Line(c, clBtnText, thumb.Left - 2 - len, p, thumb.Left - 2, p);
            }
        }
    }
    if (FSliderVisible) {
        TRect t = ThumbRect();
        FillSolid(c, t, clBtnFace);
        TRect te = t;
        DrawEdge(c->GetHandle(), &te, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
    if (Focused()) {
        c->GetBrush()->SetColor(GetColor());
        c->GetFont()->SetColor(clBtnText);
        c->DrawFocusRect(cr);
    }
}

void TTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        if (!IsLiveControl(this)) return;
        TRect t = ThumbRect();
        if (FSliderVisible && PtInRect(&t, {X, Y})) {
            FDragging = true;
            FDragOffset = (FOrientation == trHorizontal ? X : Y) - PixelOf(FPosition);
        } else {
            // A click beside the thumb pages towards the point, repeating while held.
            FPagePoint = {X, Y};
            FPageDirection = PositionAt({X, Y}) > FPosition ? 1 : -1;
            SetPosition(FPosition + FPageDirection * FPageSize);
            if (IsLiveControl(this)) SetTimer(this, kPageTimer, 400);
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TTrackBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    if (FDragging) {
        TPoint p = FOrientation == trHorizontal ? TPoint{X - FDragOffset, Y} : TPoint{X, Y - FDragOffset};
        SetPosition(PositionAt(p));
    } else if (FPageDirection != 0) {
        FPagePoint = {X, Y};
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    FDragging = false;
    if (FPageDirection != 0) {
        FPageDirection = 0;
        KillTimer(this, kPageTimer);
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TTrackBar::WMTimer(TMessage& Message) {
    if (Message.WParam != kPageTimer || FPageDirection == 0) {
        TCustomControl::WMTimer(Message);
        return;
    }
    SetTimer(this, kPageTimer, 100);
    Integer target = PositionAt(FPagePoint);
    if ((FPageDirection > 0 && target > FPosition) || (FPageDirection < 0 && target < FPosition))
        SetPosition(FPosition + FPageDirection * FPageSize);
}

void TTrackBar::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    switch (Key) {
    case VK_LEFT:
    case VK_UP: SetPosition(FPosition - FLineSize); break;
    case VK_RIGHT:
    case VK_DOWN: SetPosition(FPosition + FLineSize); break;
    case VK_PRIOR: SetPosition(FPosition - FPageSize); break;
    case VK_NEXT: SetPosition(FPosition + FPageSize); break;
    case VK_HOME: SetPosition(FMin); break;
    case VK_END: SetPosition(FMax); break;
    default: break;
    }
}

bool TTrackBar::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    SetPosition(FPosition - WheelDelta / WHEEL_DELTA * FLineSize);
    return true;
}

void TTrackBar::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TTrackBar::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    Invalidate();
}

void TTrackBar::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    Invalidate();
}

// ---- TCustomUpDown ---------------------------------------------------------------------------

namespace {
constexpr UINT_PTR kRepeatTimer = 1;

std::string WithThousands(Integer Value, bool Thousands) {
    std::string digits = std::to_string(std::abs(int64_t(Value)));
    if (Thousands)
        for (Integer i = Integer(digits.size()) - 3; i > 0; i -= 3) digits.insert(size_t(i), 1, ',');
    return (Value < 0 ? "-" : "") + digits;
}
}  // namespace

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL) * 2 - 2);
    SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks});
    SetTabStop(false);
    SetColor(clBtnFace);
}

TCustomUpDown::~TCustomUpDown() {
    if (auto* e = dynamic_cast<TCustomEdit*>(FAssociate); e && FHooked) e->AttachedKeyDown = nullptr;
}

void TCustomUpDown::SetMin(Integer Value) {
    FMin = Value;
    FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
}

void TCustomUpDown::SetMax(Integer Value) {
    FMax = Value;
    FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
}

Integer TCustomUpDown::GetPosition() {
    if (FAssociate) FPosition = ReadAssociate();
    return FPosition;
}

void TCustomUpDown::SetPosition(Integer Value) {
    FPosition = std::clamp(Value, std::min(FMin, FMax), std::max(FMin, FMax));
    UpdateAssociate();
}

void TCustomUpDown::SetThousands(bool Value) {
    FThousands = Value;
    UpdateAssociate();
}

Integer TCustomUpDown::ReadAssociate() {
    if (!FAssociate) return FPosition;
    std::string t = FAssociate->GetText();
    std::string digits;
    for (char ch : t)
        if (ch != ',' && ch != ' ') digits += ch;
    Integer v;
    if (!TryStrToInt(Trim(digits), v)) return FPosition;
    return std::clamp(v, std::min(FMin, FMax), std::max(FMin, FMax));
}

void TCustomUpDown::UpdateAssociate() {
    if (!FAssociate || IsLoading()) return;
    FAssociate->SetText(WithThousands(FPosition, FThousands));
}

void TCustomUpDown::PlaceBeside() {
    if (!FAssociate || IsLoading()) return;
    if (GetParent() != FAssociate->GetParent()) SetParent(FAssociate->GetParent());
    Integer w = GetWidth();
    TRect a = FAssociate->GetBoundsRect();
    if (FAlignButton == udRight) {
        FAssociate->SetBounds(a.Left, a.Top, std::max(0, a.Width() - w), a.Height());
        SetBounds(FAssociate->GetLeft() + FAssociate->GetWidth(), a.Top, w, a.Height());
    } else {
        FAssociate->SetBounds(a.Left + w, a.Top, std::max(0, a.Width() - w), a.Height());
        SetBounds(a.Left, a.Top, w, a.Height());
    }
}

void TCustomUpDown::SetAssociate(TWinControl* Value) {
    if (FAssociate == Value) return;
    if (FAssociate) {
        FAssociate->RemoveFreeNotification(this);
        if (auto* e = dynamic_cast<TCustomEdit*>(FAssociate); e && FHooked) e->AttachedKeyDown = nullptr;
        FHooked = false;
    }
    FAssociate = Value;
    if (!Value) return;
    Value->FreeNotification(this);
    if (auto* e = dynamic_cast<TCustomEdit*>(Value)) {
        e->AttachedKeyDown = [this](Word Key, TShiftState) {
            if (!FArrowKeys) return false;
            if (Key == VK_UP) Step(btNext);
            else if (Key == VK_DOWN) Step(btPrev);
            else return false;
            return true;
        };
        FHooked = true;
    }
    PlaceBeside();
    UpdateAssociate();
}

void TCustomUpDown::SetAlignButton(TUDAlignButton Value) {
    FAlignButton = Value;
    PlaceBeside();
}

void TCustomUpDown::SetOrientation(TUDOrientation Value) {
    FOrientation = Value;
    Invalidate();
}

void TCustomUpDown::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAssociate) {
        FAssociate = nullptr;
        FHooked = false;
    }
}

void TCustomUpDown::Loaded() {
    TCustomControl::Loaded();
    PlaceBeside();
    UpdateAssociate();
}

bool TCustomUpDown::CanChange(Integer NewValue, TUpDownDirection Direction) {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (OnChangingEx) OnChangingEx(this, allow, SmallInt(NewValue), Direction);
    return allow;
}

void TCustomUpDown::DoClick(TUDBtnType Button) {
    if (OnClick) OnClick(this, Button);
}

void TCustomUpDown::Step(TUDBtnType Button) {
    Integer pos = GetPosition();
    Integer lo = std::min(FMin, FMax), hi = std::max(FMin, FMax);
    Integer delta = (Button == btNext) == (FMin <= FMax) ? FIncrement : -FIncrement;
    Integer next = pos + delta;
    if (next > hi) next = FWrap ? lo : hi;
    if (next < lo) next = FWrap ? hi : lo;
    if (next != pos) {
        if (!CanChange(next, Button == btNext ? updUp : updDown)) return;
        FPosition = next;
        UpdateAssociate();
    }
    if (IsLiveControl(this)) DoClick(Button);
}

void TCustomUpDown::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    TRect a = cr, b = cr;
    bool vertical = FOrientation == udVertical;
    if (vertical) {
        a.Bottom = cr.Height() / 2;
        b.Top = a.Bottom;
    } else {
        a.Right = cr.Width() / 2;
        b.Left = a.Right;
    }
    UINT inactive = GetEnabled() ? 0 : DFCS_INACTIVE;
    DrawFrameControl(c->GetHandle(), &a, DFC_SCROLL, (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | inactive | (FPressed == 0 ? DFCS_PUSHED : 0));
    DrawFrameControl(c->GetHandle(), &b, DFC_SCROLL, (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | inactive | (FPressed == 1 ? DFCS_PUSHED : 0));
}

void TCustomUpDown::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    bool first = FOrientation == udVertical ? Y < GetClientHeight() / 2 : X < GetClientWidth() / 2;
    FPressed = first ? 0 : 1;
    Invalidate();
    // The upper (vertical) or right (horizontal) button goes up.
    TUDBtnType button = FOrientation == udVertical ? (first ? btNext : btPrev) : (first ? btPrev : btNext);
    Step(button);
    if (IsLiveControl(this) && FPressed >= 0) SetTimer(this, kRepeatTimer, 400);
}

void TCustomUpDown::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (FPressed >= 0) {
        FPressed = -1;
        KillTimer(this, kRepeatTimer);
        Invalidate();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomUpDown::WMTimer(TMessage& Message) {
    if (Message.WParam != kRepeatTimer || FPressed < 0) {
        TCustomControl::WMTimer(Message);
        return;
    }
    SetTimer(this, kRepeatTimer, 100);
    bool first = FPressed == 0;
    Step(FOrientation == udVertical ? (first ? btNext : btPrev) : (first ? btPrev : btNext));
}

// ---- TSpinEdit -------------------------------------------------------------------------------

TSpinEdit::TSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner), FButton(new TCustomUpDown(this)) {
    FButton->SetMin(-0x7FFFFFFF);
    FButton->SetMax(0x7FFFFFFF);
    FButton->SetWrap(true);
    FButton->SetParent(this);
    FButton->OnClick = [this](TObject*, TUDBtnType Button) {
        if (Button == btNext) UpClick(); else DownClick();
    };
    SetText("0");
    PlaceButton();
}

void TSpinEdit::PlaceButton() {
    Integer w = GetSystemMetrics(SM_CXVSCROLL);
    TRect cr = GetClientRect();
    FButton->SetBounds(std::max(0, cr.Right - w), 0, w, cr.Bottom);
    Perform(EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, Word(w)));
}

void TSpinEdit::CreateWnd() {
    TCustomEdit::CreateWnd();
    PlaceButton();
}

void TSpinEdit::WMSize(TMessage& Message) {
    TCustomEdit::WMSize(Message);
    PlaceButton();
}

Integer TSpinEdit::CheckValue(Integer NewValue) {
    if (FMaxValue != FMinValue) {
        if (NewValue < FMinValue) return FMinValue;
        if (NewValue > FMaxValue) return FMaxValue;
    }
    return NewValue;
}

Integer TSpinEdit::GetValue() {
    Integer v;
    if (!TryStrToInt(Trim(GetText()), v)) return FMinValue;
    return v;
}

void TSpinEdit::SetValue(Integer Value) { SetText(std::to_string(CheckValue(Value))); }

void TSpinEdit::UpClick() {
    if (GetReadOnly())
        MessageBeep(0);
    else
        SetValue(GetValue() + FIncrement);
}

void TSpinEdit::DownClick() {
    if (GetReadOnly())
        MessageBeep(0);
    else
        SetValue(GetValue() - FIncrement);
}

void TSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_UP) {
        UpClick();
        Key = 0;
        return;
    }
    if (Key == VK_DOWN) {
        DownClick();
        Key = 0;
        return;
    }
    TCustomEdit::KeyDown(Key, Shift);
}

bool TSpinEdit::IsValidChar(Char Key) {
    bool ok = (Key >= U'0' && Key <= U'9') || Key == U'+' || Key == U'-' || Key == U'.' || Key == U',' ||
              (Key < 32 && Key != 13);
    if (!FEditorEnabled && ok && (Key >= 32 || Key == 8 || Key == 127)) ok = false;
    return ok;
}

void TSpinEdit::KeyPress(Char& Key) {
    if (!IsValidChar(Key)) {
        Key = 0;
        MessageBeep(0);
    }
    if (Key != 0) TCustomEdit::KeyPress(Key);
}

void TSpinEdit::CMExit(TMessage& Message) {
    TCustomEdit::CMExit(Message);
    if (CheckValue(GetValue()) != GetValue()) SetValue(GetValue());
}
