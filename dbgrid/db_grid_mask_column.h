#pragma once
// Mask columns of the data-aware grid: columns whose in-place editor edits through an edit mask,
// the bound field's own unless one was assigned to the column.

#include <string>

#include "dbgrid/db_grid.h"
#include "treelist/inplace_text_edit.h"

// The edit mask a mask column holds: the assigned one, else its field's.
class TgxDBColumnEditMask {
public:
    virtual ~TgxDBColumnEditMask() = default;
    std::string GetEditMask() const { return FAssigned ? FEditMask : FieldEditMask(); }
    // A different mask is kept and marked assigned.
    void SetEditMask(const std::string& Value);
    // The mask is written to a form only when assigned and not the field's own.
    bool IsEditMaskStored() const { return FAssigned && FEditMask != FieldEditMask(); }

protected:
    // Back to the field's mask, unassigned.
    void RestoreEditMask();
    virtual std::string FieldEditMask() const = 0;

private:
    std::string FEditMask;
    bool FAssigned = false;
};

// A data-aware column class with the mask behaviour added.
template <class TBase>
class TgxDBMaskColumnOf : public TBase, public TgxDBColumnEditMask {
public:
    explicit TgxDBMaskColumnOf(TComponent* AOwner) : TBase(AOwner) {}
    TClass GetEditorClass() override;
    void RestoreDefaults() override {
        TBase::RestoreDefaults();
        RestoreEditMask();
    }
    void Assign(TPersistent* Source) override {
        auto* source = dynamic_cast<TgxDBColumnEditMask*>(Source);
        auto assign = [&] {
            TBase::Assign(Source);
            if (source) SetEditMask(source->GetEditMask());
        };
        if (TCustomgxDBGrid* grid = this->GetGrid())
            grid->InUpdateBracket(assign);
        else
            assign();
    }

protected:
    std::string FieldEditMask() const override {
        TField* field = this->GetField();
        return field ? field->GetEditMask() : std::string();
    }
};

using TgxDBTreeListMaskColumnBase = TgxDBMaskColumnOf<TgxDBTreeListColumn>;
using TgxDBGridMaskColumnBase = TgxDBMaskColumnOf<TgxDBGridColumn>;

class TgxDBTreeListMaskColumn : public TgxDBTreeListMaskColumnBase {
    LUMORA_CLASS(TgxDBTreeListMaskColumn, TgxDBTreeListMaskColumnBase)
public:
    explicit TgxDBTreeListMaskColumn(TComponent* AOwner);
};

// A mask column with the grid column's grouping and summary settings.
class TgxDBGridMaskColumn : public TgxDBGridMaskColumnBase {
    LUMORA_CLASS(TgxDBGridMaskColumn, TgxDBGridMaskColumnBase)
public:
    explicit TgxDBGridMaskColumn(TComponent* AOwner);
};

// The mask columns as a column kind, once per process (the first grid does it): registered for
// streaming, and TgxDBGridMaskColumn proposed for ftUnknown, ftString, ftSmallint, ftInteger,
// ftWord, ftFloat, ftBCD and ftAutoInc fields with priority 1.
void RegisterMaskColumnKind();

// The in-place editor of mask columns: the container's mask, replaced by the edited column's
// EditMask when that is not empty.
class TgxInplaceDBTreeListMaskEdit : public TgxInplaceMaskEdit {
    LUMORA_CLASS(TgxInplaceDBTreeListMaskEdit, TgxInplaceMaskEdit)
public:
    explicit TgxInplaceDBTreeListMaskEdit(TComponent* AOwner) : TgxInplaceMaskEdit(AOwner) {}
    void GetMaskFromContainer(std::string& Mask) override;
};

template <class TBase>
TClass TgxDBMaskColumnOf<TBase>::GetEditorClass() {
    return TgxInplaceDBTreeListMaskEdit::StaticClass();
}
