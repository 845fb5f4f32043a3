#include "framework/comctrls.h"

#include <algorithm>
#include <cstdlib>

#include "framework/control_paint.h"
#include "framework/system_metrics.h"

using lumora_paint::FillSolid;

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

TStatusPanels::TStatusPanels(TStatusBar* StatusBar)
    : TCollection(TStatusPanel::StaticClass(), StatusBar), FStatusBar(StatusBar) {}

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
        DrawText(c->GetHandle(), text, &r,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | lumora_paint::AlignmentFlags(a));
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
