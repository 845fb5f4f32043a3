#include "framework/object.h"

TObject* CreateFromClass(TClass cls, TObject* ownerArg) {
    if (!cls || !cls->NewInstance)
        throw EInvalidOperation(std::string("Cannot create an instance of ") + (cls ? cls->Name : "nil"));
    TObject* obj = cls->NewInstance(ownerArg);
    if (!obj)
        throw EInvalidOperation(std::string("Cannot create an instance of ") + cls->Name);
    obj->AfterConstruction();
    return obj;
}

void TPersistent::Assign(TPersistent* Source) {
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source) {
    std::string sourceName = Source ? Source->ClassName() : "nil";
    throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

std::string TPersistent::GetNamePath() {
    return ClassName();
}
