#pragma once
// The in-process drag manager: a control starts dragging (BeginDrag, or on its own with
// DragMode dmAutomatic), the controls under the mouse are asked with CM_DRAG whether they accept
// (OnDragOver), a release drops on the last one that accepted (OnDragDrop), and the source hears
// how it ended (OnEndDrag). Esc cancels.

#include "framework/controls.h"

class TDragObject : public TObject {
    LUMORA_CLASS(TDragObject, TObject)
public:
    ~TDragObject() override = default;
    // The cursor while over a target that accepts (or refuses) the drop.
    virtual TCursor GetDragCursor(bool Accepted, Integer X, Integer Y);
    // The image list whose drag image follows the mouse (nullptr: none).
    virtual TCustomImageList* GetDragImages() { return nullptr; }
    // Called once the drag ended; Target is nullptr unless a target accepted the drop.
    virtual void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {}
    virtual void HideDragImage();
    virtual void ShowDragImage();

    TPoint GetDragPos() const { return DragPos; }
    TControl* GetDragTarget() const { return DragTarget; }
    bool GetCancelling() const { return Cancelling; }
    bool GetDropped() const { return Dropped; }

    TPoint DragPos;  // screen
    TControl* DragTarget = nullptr;
    bool Cancelling = false;
    bool Dropped = false;
};

// The drag object of a control that drags itself: handlers see the control as the source.
class TDragControlObject : public TDragObject {
    LUMORA_CLASS(TDragControlObject, TDragObject)
public:
    explicit TDragControlObject(TControl* AControl) : Control(AControl) {}
    TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
    TCustomImageList* GetDragImages() override;
    void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) override;
    TControl* GetControl() const { return Control; }

    TControl* Control;
};

// The drag manager's state lives here; controls reach it through their drag members.
struct TDragManager {
    static void BeginDrag(TControl* Control, bool Immediate, Integer Threshold);
    static void EndDrag(bool Drop);
    static void CancelDrag();
    // Dragging has started (not only waiting for the threshold).
    static bool Active();
    // A drag waits for the mouse to pass the threshold.
    static bool Pending();
    static bool IsDragSource(const TControl* Control);
    static TDragObject* DragObject();
    // The control the mouse is over now and whether it accepts.
    static TControl* Target();
    static bool TargetAccepts();
    static TCursor CurrentCursor();

    // The input path feeds these while a drag is pending or active; true eats the event.
    static bool MouseMove(TPoint ScreenPos);
    static bool MouseUp(TMouseButton Button, TPoint ScreenPos);
    static bool KeyDown(Word Key);

    // CM_DRAG's default handling for Control (DragOver, DragDrop).
    static void HandleDragMessage(TControl* Control, TMessage& Message);
    static void ControlDestroyed(TControl* Control);
    // The source handlers see: the control of a TDragControlObject, else the drag object.
    static TObject* SourceOf(TDragObject* Object);

private:
    static LRESULT SendDrag(TControl* Target, TDragMessage Kind, TPoint Pos);
    static void ShowCursorFor(TPoint Pos);
    static void DragTo(TPoint Pos);
    static void DragInit(TPoint Pos);
    static void DragDone(bool Drop);
};
