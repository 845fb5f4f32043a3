// A form with nested aligned panels, a custom control with scroll bars and a status bar.
// "window_demo --png FILE" saves what the form shows; without arguments the form runs.

#include <string>

#include "demo/demo_start.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/testing/ui_test.h"
#include "framework/windows_gdi.h"

namespace {

// A flat panel with a raised edge and a caption in its top left corner.
class TDemoPanel : public TCustomControl {
    LUMORA_CLASS(TDemoPanel, TCustomControl)
public:
    TDemoPanel(TComponent* AOwner, TWinControl* AParent, TAlign AAlign, Integer Size, TColor AColor,
               const std::string& ACaption)
        : TCustomControl(AOwner) {
        SetParent(AParent);
        SetBounds(0, 0, Size, Size);
        SetAlign(AAlign);
        SetColor(AColor);
        SetCaption(ACaption);
        SetBorderWidth(3);
    }

protected:
    // The children leave the caption line free.
    TRect GetClientRectForAlign() override {
        TRect r = GetClientRect();
        r.Top += 18;
        return r;
    }
    void Paint() override {
        TCanvas* c = GetCanvas();
        TRect r = GetClientRect();
        c->GetBrush()->SetColor(GetColor());
        c->FillRect(r);
        DrawEdge(c->GetHandle(), &r, EDGE_RAISED, BF_RECT);
        c->GetBrush()->SetStyle(bsClear);
        c->GetFont()->SetColor(clWindowText);
        c->TextOut(6, 4, GetCaption());
    }
};

// A view larger than its window: a grid of numbered cells that scrolls with the window's bars.
class TCellView : public TCustomControl {
    LUMORA_CLASS(TCellView, TCustomControl)
public:
    TCellView(TComponent* AOwner, TWinControl* AParent) : TCustomControl(AOwner) {
        SetParent(AParent);
        SetAlign(alClient);
        SetColor(clWindow);
        SetControlStyle(GetControlStyle() + TControlStyle{csOpaque});
    }
    static constexpr Integer Cell = 48;
    static constexpr Integer Cols = 20;
    static constexpr Integer Rows = 30;

    void UpdateScrollBars() {
        TScrollInfo si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMax = Cols * Cell - 1;
        si.nPage = UINT(GetClientWidth());
        si.nPos = FX;
        FX = SetScrollInfo(this, SB_HORZ, si, true);
        si.nMax = Rows * Cell - 1;
        si.nPage = UINT(GetClientHeight());
        si.nPos = FY;
        FY = SetScrollInfo(this, SB_VERT, si, true);
    }

protected:
    void Paint() override {
        TCanvas* c = GetCanvas();
        TRect clip = c->GetClipRect();
        for (Integer row = 0; row < Rows; ++row)
            for (Integer col = 0; col < Cols; ++col) {
                TRect r{col * Cell - FX, row * Cell - FY, (col + 1) * Cell - FX, (row + 1) * Cell - FY};
                if (r.Right <= clip.Left || r.Left >= clip.Right || r.Bottom <= clip.Top || r.Top >= clip.Bottom)
                    continue;
                bool dark = (row + col) % 2 == 1;
                c->GetBrush()->SetColor(dark ? TColor(0xE8D8C8) : clWindow);
                c->GetBrush()->SetStyle(bsSolid);
                c->FillRect(r);
                c->GetBrush()->SetStyle(bsClear);
                c->TextOut(r.Left + 4, r.Top + 4, std::to_string(row * Cols + col + 1));
            }
    }
    void WMSize(TMessage& Message) override {
        TCustomControl::WMSize(Message);
        UpdateScrollBars();
    }
    void WMHScroll(TMessage& Message) override { ScrollBy(SB_HORZ, Message); }
    void WMVScroll(TMessage& Message) override { ScrollBy(SB_VERT, Message); }

private:
    void ScrollBy(Integer Bar, TMessage& Message) {
        Integer& pos = Bar == SB_HORZ ? FX : FY;
        Integer page = Bar == SB_HORZ ? GetClientWidth() : GetClientHeight();
        Integer next = pos;
        switch (ScrollCode(Message)) {
        case SB_LINEUP: next -= Cell / 4; break;
        case SB_LINEDOWN: next += Cell / 4; break;
        case SB_PAGEUP: next -= page; break;
        case SB_PAGEDOWN: next += page; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: next = ScrollPos(Message); break;
        case SB_TOP: next = 0; break;
        case SB_BOTTOM: next = 1 << 30; break;
        default: return;
        }
        TScrollInfo si;
        si.fMask = SIF_POS;
        si.nPos = next;
        next = SetScrollInfo(this, Bar, si, true);
        Integer delta = pos - next;
        pos = next;
        if (Bar == SB_HORZ)
            ScrollWindowEx(this, delta, 0, nullptr, nullptr, nullptr, SW_INVALIDATE);
        else
            ScrollWindowEx(this, 0, delta, nullptr, nullptr, nullptr, SW_INVALIDATE);
    }
    Integer FX = 0;
    Integer FY = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string png = StartDemo(argc, argv, "Window demo");

    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Window demo");
    form->SetBounds(40, 40, 640, 480);
    BuildComponents(form, [&] {
        new TDemoPanel(form, form, alTop, 32, clBtnFace, "Toolbar (alTop)");
        new TDemoPanel(form, form, alBottom, 22, clBtnFace, "Status (alBottom)");
        auto* left = new TDemoPanel(form, form, alLeft, 170, TColor(0xF0E0D0), "Folders (alLeft)");
        new TDemoPanel(form, left, alTop, 60, TColor(0xD0F0D0), "Favourites (nested alTop)");
        new TDemoPanel(form, left, alClient, 10, TColor(0xF8F0E8), "Tree (nested alClient)");
        new TDemoPanel(form, form, alRight, 120, TColor(0xD8E8F8), "Details (alRight)");
        auto* client = new TDemoPanel(form, form, alClient, 10, clBtnFace, "Viewer (alClient)");
        new TCellView(form, client);
    });

    if (!png.empty()) {
        uitest::ShowForm(form);
        uitest::ProcessEvents();
        const bool ok = SaveDemoPng(form, png);
        form->Free();
        return ok ? 0 : 1;
    }
    Application->Run();
    return 0;
}
