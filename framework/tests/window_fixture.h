#pragma once
// Shared pieces of the window system tests: a shown form and a control that logs what it gets.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/forms.h"
#include "framework/testing/ui_test.h"

// A focusable window that records its keys, focus changes and mouse messages.
class TProbe : public TCustomControl {
    LUMORA_CLASS(TProbe, TCustomControl)
public:
    explicit TProbe(TComponent* AOwner, std::vector<std::string>* Log = nullptr, std::string Tag = {})
        : TCustomControl(AOwner), FLog(Log), FTag(std::move(Tag)) {
        SetTabStop(true);
    }
    LRESULT DlgCode = 0;
    bool WantsSpecial = false;
    // Sees every message first; true keeps it from the control.
    std::function<bool(TMessage&)> WindowProcHook;

    void WndProc(TMessage& M) override {
        if (WindowProcHook && WindowProcHook(M)) return;
        TCustomControl::WndProc(M);
    }

    void Note(const std::string& s) {
        if (FLog) FLog->push_back(FTag + ":" + s);
    }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override {
        Note("down " + std::to_string(Key));
        TCustomControl::KeyDown(Key, Shift);
    }
    void KeyPress(Char& Key) override {
        Note("char " + std::to_string(uint32_t(Key)));
        TCustomControl::KeyPress(Key);
    }
    void KeyUp(Word& Key, TShiftState Shift) override {
        Note("up " + std::to_string(Key));
        TCustomControl::KeyUp(Key, Shift);
    }
    void DoEnter() override {
        Note("enter");
        TCustomControl::DoEnter();
    }
    void DoExit() override {
        Note("exit");
        TCustomControl::DoExit();
    }
    void WMSetFocus(TMessage& M) override {
        Note("setfocus");
        TCustomControl::WMSetFocus(M);
    }
    void WMKillFocus(TMessage& M) override {
        Note("killfocus");
        TCustomControl::WMKillFocus(M);
    }
    void WMGetDlgCode(TMessage& M) override { M.Result = DlgCode; }
    void CMWantSpecialKey(TMessage& M) override { M.Result = WantsSpecial ? 1 : 0; }
    void WMCaptureChanged(TMessage& M) override {
        Note("capturechanged");
        TCustomControl::WMCaptureChanged(M);
    }
    void MouseDown(TMouseButton B, TShiftState S, Integer X, Integer Y) override {
        Note("mousedown " + std::to_string(X) + "," + std::to_string(Y) + (S.Contains(ssDouble) ? " double" : ""));
        TCustomControl::MouseDown(B, S, X, Y);
    }
    void MouseUp(TMouseButton B, TShiftState S, Integer X, Integer Y) override {
        Note("mouseup " + std::to_string(X) + "," + std::to_string(Y));
        TCustomControl::MouseUp(B, S, X, Y);
    }
    void CMCancelMode(TMessage& M) override {
        Note("cancelmode");
        TCustomControl::CMCancelMode(M);
    }

private:
    std::vector<std::string>* FLog;
    std::string FTag;
};

// A form 400 x 300 at (100, 100), freed after the test.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 300);
        Form->SetCaption("Test form");
    }
    void TearDown() override {
        if (Form) Form->Free();
        uitest::ProcessEvents();
    }
    TProbe* AddProbe(const std::string& tag, TRect r, TWinControl* parent = nullptr) {
        auto* p = new TProbe(Form, &Log, tag);
        p->SetParent(parent ? parent : Form);
        p->SetBoundsRect(r);
        return p;
    }

    // A control of class T on Form (or on Parent) at R.
    template <class T>
    T* Add(TRect R, TWinControl* Parent = nullptr) {
        auto* c = new T(Form);
        c->SetParent(Parent ? Parent : Form);
        c->SetBoundsRect(R);
        return c;
    }

    TForm* Form = nullptr;
    std::vector<std::string> Log;
};
