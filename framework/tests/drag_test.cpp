// The drag manager: accept and refuse, the threshold, Esc.

#include "framework/tests/window_fixture.h"

#include "framework/drag.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/drag_image.h"

using Strings = std::vector<std::string>;

class Dragging : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Source = AddProbe("source", {10, 10, 60, 60});
        Accepting = AddProbe("accepting", {100, 10, 200, 110});
        Refusing = AddProbe("refusing", {250, 10, 350, 110});
        auto over = [this](TObject* Sender, TObject* Src, Integer X, Integer Y, TDragState State, bool& Accept) {
            static const char* states[] = {"enter", "leave", "move"};
            Log.push_back(static_cast<TControl*>(Sender)->GetName() + " over " + states[State]);
            Accept = Sender == Accepting && Src == Source;
        };
        Accepting->SetName("accepting");
        Refusing->SetName("refusing");
        Accepting->OnDragOver = over;
        Refusing->OnDragOver = over;
        Accepting->OnDragDrop = [this](TObject*, TObject* Src, Integer X, Integer Y) {
            Log.push_back("drop " + std::to_string(X) + "," + std::to_string(Y) +
                          (Src == Source ? " from source" : ""));
        };
        Source->OnEndDrag = [this](TObject*, TObject* Target, Integer X, Integer Y) {
            Log.push_back(std::string("end ") + (Target ? static_cast<TControl*>(Target)->GetName() : "nothing"));
        };
        Source->OnStartDrag = [this](TObject*, TDragObject*&) { Log.push_back("start"); };
        Source->SetDragMode(dmAutomatic);
        Source->SetTabStop(false);
        Accepting->SetTabStop(false);
        Refusing->SetTabStop(false);
        uitest::ShowForm(Form);
        Log.clear();
    }
    TProbe *Source = nullptr, *Accepting = nullptr, *Refusing = nullptr;
};

TEST_F(Dragging, DropOnATargetThatAccepts) {
    uitest::MouseDown(Source, 5, 5);
    EXPECT_TRUE(Source->Dragging());
    uitest::MouseMove(Accepting, 10, 10);
    EXPECT_TRUE(TDragManager::TargetAccepts());
    EXPECT_EQ(TDragManager::CurrentCursor(), Source->GetDragCursor());
    uitest::MouseMove(Accepting, 20, 30);
    uitest::MouseUp(Accepting, 20, 30);
    EXPECT_FALSE(Source->Dragging());
    EXPECT_EQ(Log, (Strings{"start", "accepting over enter", "accepting over move", "accepting over move",
                            "source:capturechanged", "drop 20,30 from source", "end accepting"}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Dragging, ATargetThatRefusesGetsNoDrop) {
    uitest::MouseDown(Source, 5, 5);
    uitest::MouseMove(Accepting, 10, 10);
    uitest::MouseMove(Refusing, 10, 10);
    EXPECT_FALSE(TDragManager::TargetAccepts());
    EXPECT_EQ(TDragManager::CurrentCursor(), crNoDrop);
    uitest::MouseUp(Refusing, 10, 10);
    EXPECT_EQ(Log, (Strings{"start", "accepting over enter", "accepting over move", "accepting over leave",
                            "refusing over enter", "refusing over move", "source:capturechanged", "refusing over leave",
                            "end nothing"}));
}

TEST_F(Dragging, EscapeCancelsAndTheThresholdDelaysTheStart) {
    uitest::MouseDown(Source, 5, 5);
    uitest::MouseMove(Accepting, 10, 10);
    uitest::KeyDown(Source, VK_ESCAPE);
    EXPECT_FALSE(Source->Dragging());
    uitest::MouseUp(Accepting, 10, 10);
    EXPECT_EQ(Log, (Strings{"start", "accepting over enter", "accepting over move", "source:capturechanged",
                            "accepting over leave", "end nothing"}));

    // A manual drag that waits for the mouse to move 5 pixels: a click stays a click.
    Log.clear();
    Source->SetDragMode(dmManual);
    Source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) {
        Source->BeginDrag(false, 5);
    };
    int clicks = 0;
    Source->OnClick = [&](TObject*) { ++clicks; };
    uitest::MouseDown(Source, 5, 5);
    uitest::MouseMove(Source, 8, 7);
    EXPECT_FALSE(TDragManager::Active());
    uitest::MouseUp(Source, 8, 7);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(Source->Dragging());
    uitest::MouseDown(Source, 5, 5);
    uitest::MouseMove(Source, 12, 5);
    EXPECT_TRUE(TDragManager::Active());
    uitest::MouseUp(Accepting, 1, 1);
    EXPECT_EQ(Log.back(), "end accepting");
}

TEST_F(Dragging, TheSourcesDragImageFollowsTheMouse) {
    struct TImageSource : TProbe {
        using TProbe::TProbe;
        TImageList* Images = nullptr;
        TCustomImageList* GetDragImages() override { return Images; }
    };
    auto* source = new TImageSource(Form, &Log, "imaged");
    source->SetParent(Form);
    source->SetBounds(10, 200, 50, 50);
    source->SetDragMode(dmAutomatic);
    TImageList images(nullptr);
    images.SetWidth(16);
    images.SetHeight(16);
    TBitmap glyph;
    glyph.SetSize(16, 16);
    images.Add(&glyph, nullptr);
    images.SetDragImage(0, 4, 4);
    source->Images = &images;
    uitest::ProcessEvents();

    uitest::MouseDown(source, 5, 5);
    EXPECT_TRUE(images.GetDragging());
    uitest::MouseMove(Accepting, 30, 40);
    TPoint at = Accepting->ClientToScreen({30, 40});
    EXPECT_TRUE(lumora_gdi::DragImageVisible());
    EXPECT_EQ(lumora_gdi::DragImagePosition(), (TPoint{at.X - 4, at.Y - 4}));
    uitest::MouseUp(Accepting, 30, 40);
    EXPECT_FALSE(images.GetDragging());
    EXPECT_FALSE(lumora_gdi::DragImageVisible());
}
