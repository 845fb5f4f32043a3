#pragma once
// The list boxes of the tree list's customizing window: the hidden bands and the hidden columns,
// drawn like header cells; an item dragged out of them goes back into the band or header panel
// through the tree list's band and header dragging.

#include "framework/list_controls.h"
#include "treelist/tree_list.h"

class TgxCustomizingListBox : public TListBox {
    LUMORA_CLASS(TgxCustomizingListBox, TListBox)
public:
    explicit TgxCustomizingListBox(TComponent* AOwner);

    TCustomgxTreeList* GetTreeList() const { return FTreeList; }
    // Takes the tree list's header row height as item height and fills the items.
    void SetTreeList(TCustomgxTreeList* Value);
    bool GetFlat() const { return FFlat; }
    // The flat look: no border style of its own, a one-pixel sunken frame.
    void SetFlat(bool Value);
    // The item armed for a drag (-1: none).
    Integer GetArmedIndex() const { return FDragArmed ? FArmedIndex : -1; }

    // Starts the tree list's band or header drag for an item.
    virtual void StartDragItem(Integer /*Index*/) {}
    // Cancels the drag and disarms.
    virtual void CancelItemDrag();
    virtual void MoveItemDrag() {}
    virtual void EndItemDrag(bool /*Drop*/) {}
    // The items: captions with the band or column index as object.
    virtual void FillItems(TStrings* /*Items*/) {}
    // Fills the items again, keeping the top and the selected item (clipped to the last one).
    virtual void RefreshItems();

protected:
    void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void WMLButtonUp(TMessage& Message) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void WMCaptureChanged(TMessage& Message) override;
    void WMNCCalcSize(TMessage& Message) override;
    void WMNCPaint(TMessage& Message) override;
    // The tree list drags a band or a header.
    bool TreeListDragging() const;

    TCustomgxTreeList* FTreeList = nullptr;
    bool FFlat = false;
    bool FDragArmed = false;
    Integer FArmedIndex = -1;
    TPoint FDownPoint;
};

class TgxBandsListBox : public TgxCustomizingListBox {
    LUMORA_CLASS(TgxBandsListBox, TgxCustomizingListBox)
public:
    using TgxCustomizingListBox::TgxCustomizingListBox;
    void StartDragItem(Integer Index) override;
    void MoveItemDrag() override;
    void EndItemDrag(bool Drop) override;
    void FillItems(TStrings* Items) override;
};

class TgxHeadersListBox : public TgxCustomizingListBox {
    LUMORA_CLASS(TgxHeadersListBox, TgxCustomizingListBox)
public:
    using TgxCustomizingListBox::TgxCustomizingListBox;
    void StartDragItem(Integer Index) override;
    void MoveItemDrag() override;
    void EndItemDrag(bool Drop) override;
    void FillItems(TStrings* Items) override;
};
