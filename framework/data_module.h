#pragma once
// TDataModule: a container for non-visual components (tables, data sources) that a program
// builds in code and keeps together. It owns what it holds. OnCreate fires once the object is
// constructed (after the components are built), OnDestroy while everything it owns is still
// whole; an exception in either goes to the application's handler.

#include "framework/component.h"

class TDataModule : public TComponent {
    LUMORA_CLASS(TDataModule, TComponent)
public:
    explicit TDataModule(TComponent* AOwner) : TComponent(AOwner) {}
    // Fires OnCreate.
    void AfterConstruction() override;
    // Marks the module and what it owns as destroying, then fires OnDestroy.
    void BeforeDestruction() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

protected:
    virtual void DoCreate();
    virtual void DoDestroy();
};
