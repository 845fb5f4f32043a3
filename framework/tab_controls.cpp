#include "framework/comctrls.h"

#include <algorithm>
#include <cstdlib>

#include "framework/control_paint.h"
#include "framework/window_backend.h"

using lumora_detail::IsLiveControl;
using lumora_paint::FillSolid;
using lumora_paint::Line;

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
        DrawFrameControl(c->GetHandle(), &a, DFC_SCROLL,
                         (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | (FFirstTab == 0 ? DFCS_INACTIVE : 0));
        DrawFrameControl(c->GetHandle(), &b, DFC_SCROLL, vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT);
    }
}

void TCustomTabControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (Button == mbLeft) {
        TRect scroller = ScrollerRect();
        if (scroller.Right > scroller.Left && PtInRect(&scroller, {X, Y})) {
            bool back =
                Vertical() ? Y < (scroller.Top + scroller.Bottom) / 2 : X < (scroller.Left + scroller.Right) / 2;
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
    if (Index < 0 || Index >= Integer(FPages.size()))
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
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
    bool focusInside =
        form && FActivePage && form->GetActiveControl() && FActivePage->ContainsControl(form->GetActiveControl());
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
