#include "dbgrid/db_grid_mask_column.h"

#include "framework/component.h"

namespace {

bool Registered() {
    static const bool done = [] {
        RegisterClasses({TgxDBTreeListMaskColumn::StaticClass(), TgxDBGridMaskColumn::StaticClass()});
        return true;
    }();
    return done;
}

}  // namespace

void RegisterMaskColumnKind() {
    static const bool done = [] {
        Registered();
        RegisterDefaultColumnClasses([](TFieldType Type, TFieldKind Kind, TgxDBGridColumnClassEntry& Entry) {
            if (Kind != fkData) return;
            switch (Type) {
                case ftUnknown:
                case ftString:
                case ftSmallint:
                case ftInteger:
                case ftWord:
                case ftFloat:
                case ftBCD:
                case ftAutoInc: Entry = {TgxDBGridMaskColumn::StaticClass(), 1}; break;
                default: break;
            }
        });
        return true;
    }();
    (void)done;
}

void TgxDBColumnEditMask::SetEditMask(const std::string& Value) {
    if (Value == GetEditMask()) return;
    FEditMask = Value;
    FAssigned = true;
}

void TgxDBColumnEditMask::RestoreEditMask() {
    FEditMask = FieldEditMask();
    FAssigned = false;
}

TgxDBTreeListMaskColumn::TgxDBTreeListMaskColumn(TComponent* AOwner) : TgxDBTreeListMaskColumnBase(AOwner) {
    Registered();
}

TgxDBGridMaskColumn::TgxDBGridMaskColumn(TComponent* AOwner) : TgxDBGridMaskColumnBase(AOwner) {
    Registered();
}

void TgxInplaceDBTreeListMaskEdit::GetMaskFromContainer(std::string& Mask) {
    TgxInplaceMaskEdit::GetMaskFromContainer(Mask);
    auto* list = dynamic_cast<TCustomgxTreeListControl*>(GetContainer());
    const Integer column = list && list->GetEditedColumn() >= 0 ? list->VisibleToAbsoluteIndex(list->GetEditedColumn()) : -1;
    if (column < 0 || column >= list->GetColumnCount()) return;
    auto* mask = dynamic_cast<TgxDBColumnEditMask*>(list->GetColumn(column));
    if (mask && !mask->GetEditMask().empty()) Mask = mask->GetEditMask();
}
