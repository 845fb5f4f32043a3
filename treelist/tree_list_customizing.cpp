// The customizing window of the tree list: a stay-on-top tool window listing the hidden bands
// and columns, into which headers are dragged to hide them and out of which they are dragged back.

#include "treelist/tree_list_customizing.h"

#include <algorithm>
#include <cstdlib>

#include "framework/comctrls.h"
#include "framework/forms.h"
#include "treelist/tree_list_draw.h"

// ---- the window --------------------------------------------------------------------------------

namespace {

// A list's item: the band or column index it stands for.
TObject* IndexObject(Integer Index) {
    return reinterpret_cast<TObject*>(intptr_t(Index));
}
Integer ObjectIndex(TObject* Object) {
    return Integer(reinterpret_cast<intptr_t>(Object));
}

}  // namespace

void TCustomgxTreeList::ColumnsCustomizing() {
    EndColumnsCustomizing();
    if (!FShowBands && !FShowHeader) return;
    if (GetBandCount() == 0 && GetColumnCount() == 0) return;
    const bool simple = FSimpleCustomizeBox || (GetBandCount() == 1 && !FShowBands);
    auto* form = new TForm(nullptr);
    form->SetCaption("Customize");
    form->SetBorderStyle(bsToolWindow);
    form->SetBorderIcons({biSystemMenu});
    form->SetFormStyle(fsStayOnTop);
    form->GetFont()->Assign(GetFont());
    form->SetColor(clBtnFace);
    const Integer itemHeight = FTextHeight + 5 + (FLookAndFeel == lfStandard ? 1 : 0);
    const Integer width = FDigitWidth * 28;
    const Integer height = FCustomizingRowCount * itemHeight;
    form->SetClientWidth(width);
    form->SetClientHeight(height + 4);
    form->OnActivate = [this](TObject*) { HideEditor(); };
    form->OnClose = [this](TObject* Sender, TCloseAction& Action) {
        auto* closing = static_cast<TForm*>(Sender);
        FCustomizingPos = TPoint{closing->GetLeft(), closing->GetTop()};
        FCustomizingBandIndex = FCustomizingBands ? FCustomizingBands->GetItemIndex() : -1;
        FCustomizingHeaderIndex = FCustomizingHeaders ? FCustomizingHeaders->GetItemIndex() : -1;
        Action = caFree;
        FCustomizingForm = nullptr;
        FCustomizingBands = nullptr;
        FCustomizingHeaders = nullptr;
        if (OnEndColumnsCustomizing) OnEndColumnsCustomizing(this);
    };
    FCustomizingForm = form;
    auto attach = [&](TgxCustomizingListBox* Box, TWinControl* Parent) {
        Box->SetParent(Parent);
        Box->SetAlign(alClient);
        Box->SetSorted(true);
        Box->SetColor(form->GetColor());
        Box->SetFlat(FLookAndFeel == lfFlat);
        Box->SetTreeList(this);
    };
    if (simple) {
        FCustomizingHeaders = new TgxHeadersListBox(form);
        attach(FCustomizingHeaders, form);
    } else {
        auto* pages = new TPageControl(form);
        pages->SetName("PageControl");
        pages->SetParent(form);
        pages->SetAlign(alClient);
        pages->SetHotTrack(true);
        auto* bandsPage = new TTabSheet(form);
        bandsPage->SetName("tsBands");
        bandsPage->SetPageControl(pages);
        bandsPage->SetCaption("    Bands    ");
        auto* headersPage = new TTabSheet(form);
        headersPage->SetName("tsHeaders");
        headersPage->SetPageControl(pages);
        headersPage->SetCaption("   Headers   ");
        pages->SetActivePage(bandsPage);
        FCustomizingBands = new TgxBandsListBox(form);
        attach(FCustomizingBands, bandsPage);
        FCustomizingHeaders = new TgxHeadersListBox(form);
        attach(FCustomizingHeaders, headersPage);
    }
    // The first list's client area gets exactly the planned size.
    const TRect client = (FCustomizingBands ? FCustomizingBands : FCustomizingHeaders)->GetClientRect();
    form->SetClientWidth(form->GetClientWidth() + width - client.Width());
    form->SetClientHeight(form->GetClientHeight() + height - client.Height());
    if (FCustomizingPos.X == -1000) {
        TCustomForm* parent = GetParentForm(this);
        const TRect r = parent ? parent->GetBoundsRect() : TRect(0, 0, form->GetWidth(), form->GetHeight());
        form->SetLeft(std::max<Integer>(0, r.Right - form->GetWidth()));
        form->SetTop(std::max<Integer>(0, r.Bottom - form->GetHeight()));
    } else {
        form->SetLeft(FCustomizingPos.X);
        form->SetTop(FCustomizingPos.Y);
    }
    if (FCustomizingBands && FCustomizingBandIndex < FCustomizingBands->GetItems()->GetCount())
        FCustomizingBands->SetItemIndex(FCustomizingBandIndex);
    if (FCustomizingHeaders && FCustomizingHeaderIndex < FCustomizingHeaders->GetItems()->GetCount())
        FCustomizingHeaders->SetItemIndex(FCustomizingHeaderIndex);
    form->Show();
}

void TCustomgxTreeList::EndColumnsCustomizing() {
    if (FCustomizingForm) FCustomizingForm->Close();
}

bool TCustomgxTreeList::IsPointInCustomizingForm(TPoint P) {
    if (!FCustomizingForm || !FCustomizingForm->GetVisible()) return false;
    const TPoint p = FCustomizingForm->ScreenToClient(P);
    const TRect client = FCustomizingForm->GetClientRect();
    return PtInRect(&client, p);
}

void TCustomgxTreeList::RefreshCustomizingListBoxes() {
    if (FCustomizingBands) FCustomizingBands->RefreshItems();
    if (FCustomizingHeaders) FCustomizingHeaders->RefreshItems();
}

void TCustomgxTreeList::ShowCustomizingPage(bool Bands) {
    TgxCustomizingListBox* box = Bands ? FCustomizingBands : FCustomizingHeaders;
    if (!box || !FCustomizingBands) return;
    if (auto* sheet = dynamic_cast<TTabSheet*>(box->GetParent())) sheet->GetPageControl()->SetActivePage(sheet);
}

// ---- the list boxes ----------------------------------------------------------------------------

TgxCustomizingListBox::TgxCustomizingListBox(TComponent* AOwner) : TListBox(AOwner) {
    SetStyle(lbOwnerDrawFixed);
}

void TgxCustomizingListBox::SetTreeList(TCustomgxTreeList* Value) {
    FTreeList = Value;
    if (!Value) return;
    SetItemHeight(Value->GetHeaderRowHeight());
    RefreshItems();
}

void TgxCustomizingListBox::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TgxCustomizingListBox::RefreshItems() {
    const Integer top = GetTopIndex();
    Integer selected = GetItemIndex();
    TStrings* items = GetItems();
    items->BeginUpdate();
    try {
        items->Clear();
        FillItems(items);
    } catch (...) {
        items->EndUpdate();
        throw;
    }
    items->EndUpdate();
    if (selected >= items->GetCount()) selected = items->GetCount() - 1;
    SetItemIndex(selected);
    SetTopIndex(top);
}

void TgxCustomizingListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
    TCanvas* c = GetCanvas();
    HBRUSH brush = c->GetBrush()->GetHandle();
    if (Index < 0 || Index >= GetItems()->GetCount() || !FTreeList) {
        FillRect(c->GetHandle(), &Rect, brush);
        return;
    }
    TgxHeaderCellContent content;
    content.Text = GetItems()->Get(Index);
    content.EdgeKind = 0;
    content.Flat = FFlat;
    c->GetFont()->Assign(FTreeList->GetHeaderFont());
    DrawHeaderCell(c->GetHandle(), Rect, brush, content);
    if (!State.Contains(odFocused)) return;
    if (FFlat) {
        InvertRect(c->GetHandle(), &Rect);
    } else {
        TRect r = Rect;
        InflateRect(&r, -2, -2);
        DrawFocusRectangle(c->GetHandle(), r);
    }
}

bool TgxCustomizingListBox::TreeListDragging() const {
    return FTreeList && (FTreeList->GetState() == tsColumnDragging || FTreeList->GetState() == tsBandDragging);
}

void TgxCustomizingListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    const Integer selected = GetItemIndex();
    TListBox::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) {
        CancelItemDrag();
        return;
    }
    if (GetItems()->GetCount() > 0 && selected >= 0 && FTreeList && IsWindowVisible(FTreeList) &&
        ItemAtPos(TPoint{X, Y}, true) == selected) {
        FDragArmed = true;
        FArmedIndex = selected;
        FDownPoint = TPoint{X, Y};
    }
}

void TgxCustomizingListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    if (TreeListDragging()) {
        MoveItemDrag();
        return;
    }
    if (FDragArmed && (std::abs(X - FDownPoint.X) > 3 || std::abs(Y - FDownPoint.Y) > 3)) {
        FDragArmed = false;
        StartDragItem(FArmedIndex);
        return;
    }
    TListBox::MouseMove(Shift, X, Y);
}

void TgxCustomizingListBox::WMLButtonUp(TMessage& Message) {
    // The drop comes before the release of the capture, which would cancel it.
    if (TreeListDragging()) MoveItemDrag();
    EndItemDrag(true);
    FDragArmed = false;
    TListBox::WMLButtonUp(Message);
}

void TgxCustomizingListBox::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_ESCAPE) CancelItemDrag();
    TListBox::KeyDown(Key, Shift);
}

void TgxCustomizingListBox::WMCaptureChanged(TMessage& Message) {
    TListBox::WMCaptureChanged(Message);
    if (reinterpret_cast<HWND>(Message.LParam) != this) CancelItemDrag();
}

void TgxCustomizingListBox::CancelItemDrag() {
    EndItemDrag(false);
    FDragArmed = false;
}

void TgxCustomizingListBox::WMNCCalcSize(TMessage& Message) {
    if (!FFlat || GetBorderStyle() == bsNone) {
        TListBox::WMNCCalcSize(Message);
        return;
    }
    auto* r = reinterpret_cast<TRect*>(Message.LParam);
    InflateRect(r, -1, -1);
    Message.Result = 0;
}

void TgxCustomizingListBox::WMNCPaint(TMessage& Message) {
    if (!FFlat || GetBorderStyle() == bsNone) {
        TListBox::WMNCPaint(Message);
        return;
    }
    TCanvas* c = GetWindowCanvas();
    TRect r(0, 0, GetWidth(), GetHeight());
    DrawEdge(c->GetHandle(), &r, BDR_SUNKENOUTER, BF_RECT);
}

// ---- bands and headers -------------------------------------------------------------------------

void TgxBandsListBox::StartDragItem(Integer Index) {
    if (!FTreeList || !FTreeList->GetShowBands() || Index < 0 || Index >= GetItems()->GetCount()) return;
    FTreeList->StartDragBand(ObjectIndex(GetItems()->GetObject(Index)));
}

void TgxBandsListBox::MoveItemDrag() {
    if (FTreeList && FTreeList->GetState() == tsBandDragging) FTreeList->MoveDragBandOrHeader(Mouse->GetCursorPos());
}

void TgxBandsListBox::EndItemDrag(bool Drop) {
    if (FTreeList && FTreeList->GetState() == tsBandDragging) FTreeList->EndDragBand(Drop);
}

void TgxBandsListBox::FillItems(TStrings* Items) {
    std::string caption;
    for (Integer band = 0; band < FTreeList->GetBandCount(); ++band)
        if (FTreeList->IsBandHidden(band)) {
            FTreeList->GetBandCaption(band, caption);
            Items->AddObject(caption, IndexObject(band));
        }
}

void TgxHeadersListBox::StartDragItem(Integer Index) {
    if (!FTreeList || !FTreeList->GetShowHeader() || Index < 0 || Index >= GetItems()->GetCount()) return;
    FTreeList->StartDragHeader(ObjectIndex(GetItems()->GetObject(Index)));
}

void TgxHeadersListBox::MoveItemDrag() {
    if (FTreeList && FTreeList->GetState() == tsColumnDragging) FTreeList->MoveDragBandOrHeader(Mouse->GetCursorPos());
}

void TgxHeadersListBox::EndItemDrag(bool Drop) {
    if (FTreeList && FTreeList->GetState() == tsColumnDragging) FTreeList->EndDragHeader(Drop);
}

void TgxHeadersListBox::FillItems(TStrings* Items) {
    std::string caption;
    for (Integer column = 0; column < FTreeList->GetColumnCount(); ++column)
        if (FTreeList->IsColumnInCustomizeBox(column)) {
            FTreeList->GetColumnCaption(column, caption);
            Items->AddObject(caption, IndexObject(column));
        }
}
