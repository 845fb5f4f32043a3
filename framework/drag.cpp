#include "framework/drag.h"

#include <cstdlib>

#include "framework/forms.h"
#include "framework/window_backend.h"
#include "framework/image_list.h"

using lumora_detail::IsLiveControl;

namespace {

struct DragState {
    TControl* Source = nullptr;
    TDragObject* Object = nullptr;
    bool OwnsObject = false;
    bool Pending = false;
    bool Active = false;
    TPoint Start;
    Integer Threshold = 5;
    TControl* Target = nullptr;
    bool Accepted = false;
    TCursor Cursor = 0;
    TCustomImageList* Images = nullptr;
};

DragState gDrag;

}  // namespace

LRESULT TDragManager::SendDrag(TControl* Target, TDragMessage Kind, TPoint Pos) {
    if (!Target || !IsLiveControl(Target)) return 0;
    TDragRec rec;
    rec.Pos = Pos;
    rec.Source = gDrag.Object;
    rec.Target = Target;
    return Target->Perform(CM_DRAG, WPARAM(Kind), reinterpret_cast<LPARAM>(&rec));
}

void TDragManager::ShowCursorFor(TPoint Pos) {
    TCursor c = crNoDrop;
    if (gDrag.Object) {
        TPoint local = gDrag.Target ? gDrag.Target->ScreenToClient(Pos) : Pos;
        c = gDrag.Object->GetDragCursor(gDrag.Accepted, local.X, local.Y);
    }
    gDrag.Cursor = c;
    lumora_backend::SetOverrideCursor(c);
}

void TDragManager::DragTo(TPoint Pos) {
    if (!gDrag.Active) return;
    gDrag.Object->DragPos = Pos;
    TControl* t = FindDragTarget(Pos, false);
    if (t != gDrag.Target) {
        TControl* old = gDrag.Target;
        gDrag.Target = nullptr;
        gDrag.Accepted = false;
        if (old) SendDrag(old, dmDragLeave, Pos);
        if (!gDrag.Active) return;
        gDrag.Target = t;
        gDrag.Object->DragTarget = t;
        if (t) gDrag.Accepted = SendDrag(t, dmDragEnter, Pos) != 0;
        if (!gDrag.Active) return;
    }
    if (gDrag.Target) gDrag.Accepted = SendDrag(gDrag.Target, dmDragMove, Pos) != 0;
    if (!gDrag.Active) return;
    if (gDrag.Images) gDrag.Images->DragMove(Pos.X, Pos.Y);
    ShowCursorFor(Pos);
}

void TDragManager::DragInit(TPoint Pos) {
    TControl* source = gDrag.Source;
    gDrag.Pending = false;
    TDragObject* obj = nullptr;
    source->DoStartDrag(obj);
    if (!IsLiveControl(source)) {
        gDrag = DragState{};
        return;
    }
    gDrag.OwnsObject = obj == nullptr;
    if (!obj) obj = new TDragControlObject(source);
    gDrag.Object = obj;
    gDrag.Active = true;
    gDrag.Target = nullptr;
    gDrag.Accepted = false;
    obj->DragPos = Pos;
    SetCaptureControl(source);
    gDrag.Images = obj->GetDragImages();
    // The drag image follows the mouse in screen coordinates.
    if (gDrag.Images && !gDrag.Images->BeginDrag(nullptr, Pos.X, Pos.Y)) gDrag.Images = nullptr;
    DragTo(Pos);
}

void TDragManager::DragDone(bool Drop) {
    if (!gDrag.Active) {
        gDrag = DragState{};
        return;
    }
    DragState s = gDrag;
    gDrag.Active = false;
    if (s.Images) s.Images->EndDrag();
    lumora_backend::SetOverrideCursor(Screen->GetCursor());
    if (GetCaptureControl() == s.Source) ReleaseCapture();
    TPoint pos = s.Object->DragPos;
    bool accepted = Drop && s.Target && s.Accepted && IsLiveControl(s.Target);
    s.Object->Dropped = accepted;
    s.Object->Cancelling = !Drop;
    TObject* target = nullptr;
    TPoint local = pos;
    try {
        if (s.Target && IsLiveControl(s.Target)) {
            local = s.Target->ScreenToClient(pos);
            if (accepted) {
                SendDrag(s.Target, dmDragDrop, pos);
                target = s.Target;
            } else {
                SendDrag(s.Target, Drop ? dmDragLeave : dmDragCancel, pos);
            }
        }
        s.Object->DragTarget = accepted ? s.Target : nullptr;
        if (IsLiveControl(s.Source) || !dynamic_cast<TDragControlObject*>(s.Object))
            s.Object->Finished(target, local.X, local.Y, accepted);
    } catch (...) {
        if (s.OwnsObject) delete s.Object;
        gDrag = DragState{};
        throw;
    }
    if (s.OwnsObject) delete s.Object;
    gDrag = DragState{};
}

// ---- TDragObject -----------------------------------------------------------------------------

TCursor TDragObject::GetDragCursor(bool Accepted, Integer X, Integer Y) {
    return Accepted ? crDrag : crNoDrop;
}

void TDragObject::HideDragImage() {
    if (TCustomImageList* il = GetDragImages()) il->HideDragImage();
}

void TDragObject::ShowDragImage() {
    if (TCustomImageList* il = GetDragImages()) il->ShowDragImage();
}

TCursor TDragControlObject::GetDragCursor(bool Accepted, Integer X, Integer Y) {
    return Accepted ? Control->GetDragCursor() : crNoDrop;
}

TCustomImageList* TDragControlObject::GetDragImages() { return Control->GetDragImages(); }

void TDragControlObject::Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {
    if (!Accepted) {
        Control->DragCanceled();
        Target = nullptr;
    }
    Control->DoEndDrag(Target, X, Y);
}

// ---- TDragManager ----------------------------------------------------------------------------

void TDragManager::BeginDrag(TControl* Control, bool Immediate, Integer Threshold) {
    if (gDrag.Active || gDrag.Pending || !Control) return;
    gDrag = DragState{};
    gDrag.Source = Control;
    gDrag.Threshold = Threshold;
    gDrag.Start = GetMessagePos();
    if (Immediate) {
        DragInit(gDrag.Start);
    } else {
        gDrag.Pending = true;
        SetCaptureControl(Control);
    }
}

void TDragManager::EndDrag(bool Drop) {
    if (gDrag.Pending) {
        gDrag = DragState{};
        return;
    }
    DragDone(Drop);
}

void TDragManager::CancelDrag() { EndDrag(false); }

bool TDragManager::Active() { return gDrag.Active; }
bool TDragManager::Pending() { return gDrag.Pending; }

bool TDragManager::IsDragSource(const TControl* Control) {
    return (gDrag.Active || gDrag.Pending) && gDrag.Source == Control;
}

TDragObject* TDragManager::DragObject() { return gDrag.Object; }
TControl* TDragManager::Target() { return gDrag.Target; }
bool TDragManager::TargetAccepts() { return gDrag.Accepted; }
TCursor TDragManager::CurrentCursor() { return gDrag.Cursor; }

bool TDragManager::MouseMove(TPoint ScreenPos) {
    if (gDrag.Pending) {
        if (std::abs(ScreenPos.X - gDrag.Start.X) >= gDrag.Threshold ||
            std::abs(ScreenPos.Y - gDrag.Start.Y) >= gDrag.Threshold) {
            DragInit(ScreenPos);
            return true;
        }
        return false;
    }
    if (!gDrag.Active) return false;
    DragTo(ScreenPos);
    return true;
}

bool TDragManager::MouseUp(TMouseButton Button, TPoint ScreenPos) {
    if (gDrag.Pending) {
        // Released before the threshold: no drag, the click goes on as usual.
        TControl* source = gDrag.Source;
        gDrag = DragState{};
        if (GetCaptureControl() == source) ReleaseCapture();
        return false;
    }
    if (!gDrag.Active) return false;
    // The target is the control under the release.
    if (!(gDrag.Object->DragPos == ScreenPos)) DragTo(ScreenPos);
    if (!gDrag.Active) return true;
    gDrag.Object->DragPos = ScreenPos;
    DragDone(true);
    return true;
}

bool TDragManager::KeyDown(Word Key) {
    if (!gDrag.Active && !gDrag.Pending) return false;
    if (Key == VK_ESCAPE) {
        EndDrag(false);
        return true;
    }
    // The keypad's plus and minus go to the source (a tree expands or collapses what it is over).
    if (gDrag.Active && (Key == VK_ADD || Key == VK_SUBTRACT)) {
        if (auto* source = dynamic_cast<TWinControl*>(gDrag.Source)) source->Perform(WM_KEYDOWN, Key, 0);
        return true;
    }
    return gDrag.Active;
}

TObject* TDragManager::SourceOf(TDragObject* Object) {
    if (auto* c = dynamic_cast<TDragControlObject*>(Object)) return c->Control;
    return Object;
}

void TDragManager::HandleDragMessage(TControl* Control, TMessage& Message) {
    auto* rec = reinterpret_cast<TDragRec*>(Message.LParam);
    if (!rec) return;
    TPoint p = Control->ScreenToClient(rec->Pos);
    TObject* source = SourceOf(rec->Source);
    switch (TDragMessage(Message.WParam)) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove:
    case dmDragCancel: {
        TDragState state = Message.WParam == dmDragEnter ? dsDragEnter
                           : Message.WParam == dmDragMove ? dsDragMove
                                                          : dsDragLeave;
        bool accept = false;
        Control->DragOver(source, p.X, p.Y, state, accept);
        Message.Result = accept ? 1 : 0;
        break;
    }
    case dmDragDrop: Control->DragDrop(source, p.X, p.Y); break;
    case dmFindTarget: Message.Result = reinterpret_cast<LRESULT>(Control); break;
    }
}

void TDragManager::ControlDestroyed(TControl* Control) {
    if (gDrag.Target == Control) {
        gDrag.Target = nullptr;
        gDrag.Accepted = false;
    }
    if (gDrag.Source == Control) {
        if (gDrag.Active) {
            // The source goes: the drag ends without a drop.
            TControl* target = gDrag.Target;
            if (target) SendDrag(target, dmDragCancel, gDrag.Object->DragPos);
            if (gDrag.Images) gDrag.Images->EndDrag();
            lumora_backend::SetOverrideCursor(Screen->GetCursor());
            if (gDrag.OwnsObject) delete gDrag.Object;
        }
        gDrag = DragState{};
    }
}
