// The memory table's blob values: TMemBlobStream, through which the blob fields read and write
// them, and the table's side of opening and closing such a stream.

#include <algorithm>
#include <cstring>

#include "dbgrid/mem_data.h"
#include "framework/forms.h"

TStream* TgxMemData::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
    auto* blob = dynamic_cast<TBlobField*>(Field);
    if (!blob) return nullptr;
    return new TMemBlobStream(blob, Mode);
}

void TgxMemData::CloseBlob(TField* Field) {
    TRecordBuffer b = ActiveBuffer();
    if (!b || !Field->IsBlob()) return;
    auto& blobs = ValuesOf(b).Blobs;
    size_t i = static_cast<size_t>(Field->GetOffset());
    if (i >= blobs.size()) return;
    // Leaving an edit gives the buffer the stored value back; anything else empties it.
    if (GetState() == dsEdit && FCurRec >= 0 && FCurRec < RecordCountStored()) {
        const Record& r = FRecords[FCurRec];
        blobs[i] = r.Blobs && i < r.Blobs->size() ? (*r.Blobs)[i] : nullptr;
    } else {
        blobs[i].reset();
    }
}

// ---------------------------------------------------------------------------------------------

TMemBlobStream::TMemBlobStream(TBlobField* Field, TBlobStreamMode Mode)
    : FField(Field), FDataSet(static_cast<TgxMemData*>(Field->GetDataSet())), FMode(Mode) {
    FBuffer = FDataSet->StateBuffer();
    if (!FBuffer) return;
    if (!FField->GetModified() && FMode != bmRead) {
        if (FField->GetReadOnly()) DatabaseErrorFmt(db_msg::FieldReadOnly, {FField->GetDisplayName()});
        TDataSetState state = FDataSet->GetState();
        if (state != dsEdit && state != dsInsert) DatabaseError(db_msg::NotEditing, FDataSet);
        FCached = true;
    } else {
        FCached = FBuffer == FDataSet->ActiveBuffer();
    }
    FOpened = true;
    if (FMode == bmWrite) {
        FDataSet->ValuesOf(FBuffer).Blobs[BlobIndex()].reset();
        FModified = true;
    }
}

TMemBlobStream::~TMemBlobStream() {
    if (FOpened && FModified) FField->SetModified(true);
    if (!FModified) return;
    try {
        FDataSet->DataEvent(deFieldChange, reinterpret_cast<intptr_t>(FField));
    } catch (...) {
        // A destructor lets nothing out: the application reports it.
        Application->HandleException(this);
    }
}

TgxMemBlobData TMemBlobStream::Value() const {
    const size_t i = BlobIndex();
    if (FCached) {
        const auto& blobs = FDataSet->ValuesOf(FBuffer).Blobs;
        return i < blobs.size() ? blobs[i] : nullptr;
    }
    Integer current = FDataSet->FCurRec;
    if (current < 0 || current >= FDataSet->RecordCountStored()) return nullptr;
    const auto& r = FDataSet->FRecords[current];
    return r.Blobs && i < r.Blobs->size() ? (*r.Blobs)[i] : nullptr;
}

Int64 TMemBlobStream::Read(void* Buffer, Int64 Count) {
    if (!FOpened || FPosition < 0) return 0;
    TgxMemBlobData value = Value();
    const Int64 length = value ? static_cast<Int64>(value->size()) : 0;
    const Int64 n = std::min(Count, length - FPosition);
    if (n <= 0) return 0;
    std::memcpy(Buffer, value->data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

Int64 TMemBlobStream::Write(const void* Buffer, Int64 Count) {
    if (!FOpened || !FCached || FPosition < 0 || Count <= 0) return 0;
    // A cached stream works on the active buffer; the stored record changes when it is posted.
    TgxMemBlobData& slot = FDataSet->ValuesOf(FBuffer).Blobs[BlobIndex()];
    // The buffer gets its own copy: the stored record may share the old one.
    auto value = std::make_shared<std::string>(slot ? *slot : std::string());
    const size_t end = static_cast<size_t>(FPosition + Count);
    if (value->size() < end) value->resize(end, '\0');
    std::memcpy(value->data() + FPosition, Buffer, static_cast<size_t>(Count));
    slot = std::move(value);
    FPosition += Count;
    FModified = true;
    return Count;
}

Int64 TMemBlobStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    switch (Origin) {
        case soBeginning: FPosition = Offset; break;
        case soCurrent: FPosition += Offset; break;
        case soEnd: {
            TgxMemBlobData value = FOpened ? Value() : nullptr;
            FPosition = (value ? static_cast<Int64>(value->size()) : 0) + Offset;
            break;
        }
    }
    return FPosition;
}
