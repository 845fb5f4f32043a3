#include "framework/data_module.h"

#include "framework/forms.h"

void TDataModule::AfterConstruction() {
    TComponent::AfterConstruction();
    DoCreate();
}

void TDataModule::BeforeDestruction() {
    Destroying();
    DoDestroy();
    TComponent::BeforeDestruction();
}

void TDataModule::DoCreate() {
    if (OnCreate) Application->Guard(this, [&] { OnCreate(this); });
}

void TDataModule::DoDestroy() {
    if (OnDestroy) Application->Guard(this, [&] { OnDestroy(this); });
}
