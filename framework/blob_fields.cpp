#include "framework/fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/dataset.h"
#include "framework/db_internal.h"
#include "framework/graphics.h"
#include "framework/string_list.h"
#include "framework/stream.h"

// ---------------------------------------------------------------------------------------------
// Binary fields

namespace {
// "(BLOB)" with a value, "(blob)" without: the type's name in capitals or small letters.
std::string BlobText(TFieldType Type, bool IsNull) {
    std::string name = FieldTypeName(Type);
    return "(" + (IsNull ? LowerCase(name) : UpperCase(name)) + ")";
}
}  // namespace

TBinaryField::TBinaryField(TComponent* AOwner) : TField(AOwner) {
    FSize = 16;
}

void TBinaryField::CheckTypeSize(Integer Value) {
    if (Value < 1 || Value > 65535) DatabaseError(db_msg::InvalidFieldSize);
}

std::string TBinaryField::GetAsString() {
    std::vector<char> buffer(GetDataSize(), '\0');
    if (!GetData(buffer.data())) return {};
    if (GetDataType() == ftVarBytes) {
        Word len;
        std::memcpy(&len, buffer.data(), 2);
        return std::string(buffer.data() + 2, std::min<Integer>(len, FSize));
    }
    return std::string(buffer.data(), FSize);
}

void TBinaryField::SetAsString(const std::string& Value) {
    std::vector<char> buffer(GetDataSize(), '\0');
    size_t n = std::min<size_t>(Value.size(), FSize);
    if (GetDataType() == ftVarBytes) {
        auto len = static_cast<Word>(n);
        std::memcpy(buffer.data(), &len, 2);
        std::memcpy(buffer.data() + 2, Value.data(), n);
    } else {
        std::memcpy(buffer.data(), Value.data(), n);
    }
    SetData(buffer.data());
}

Variant TBinaryField::GetAsVariant() {
    if (GetIsNull()) return Variant::Null();
    return Variant(GetAsString());
}

void TBinaryField::SetVarValue(const Variant& Value) {
    SetAsString(Value.AsString());
}

void TBinaryField::FormatText(std::string& Text, bool) {
    Text = BlobText(GetDataType(), GetIsNull());
}

TBytesField::TBytesField(TComponent* AOwner) : TBinaryField(AOwner) {
    SetDataType(ftBytes);
}

TVarBytesField::TVarBytesField(TComponent* AOwner) : TBinaryField(AOwner) {
    SetDataType(ftVarBytes);
}

// ---------------------------------------------------------------------------------------------
// Blob fields

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBlob);
}

void TBlobField::CheckTypeSize(Integer Value) {
    if (Value < 0) DatabaseError(db_msg::InvalidFieldSize);
}

void TBlobField::SetBlobType(TBlobType Value) {
    if (Value == GetDataType()) return;
    CheckInactive();
    SetDataType(Value);
}

void TBlobField::SetModified(bool Value) {
    FModified = Value;
}

void TBlobField::FreeBuffers() {
    if (FModified) {
        if (TDataSet* ds = GetDataSet()) ds->CloseBlob(this);
        FModified = false;
    }
}

void TBlobField::FormatText(std::string& Text, bool) {
    Text = BlobText(GetDataType(), GetIsNull());
}

namespace {
// The dataset's blob stream on the field, freed at the end of the scope (none when the dataset
// keeps no blobs).
class BlobStreamHolder {
public:
    BlobStreamHolder(TBlobField* Field, TBlobStreamMode Mode) {
        if (TDataSet* ds = Field->GetDataSet()) FStream = ds->CreateBlobStream(Field, Mode);
    }
    ~BlobStreamHolder() {
        if (FStream) FStream->Free();
    }
    BlobStreamHolder(const BlobStreamHolder&) = delete;
    BlobStreamHolder& operator=(const BlobStreamHolder&) = delete;
    TStream* operator->() const { return FStream; }
    explicit operator bool() const { return FStream != nullptr; }
    TStream* Get() const { return FStream; }

private:
    TStream* FStream = nullptr;
};
}  // namespace

void TBlobField::Clear() {
    BlobStreamHolder stream(this, bmWrite);
}

Integer TBlobField::GetBlobSize() {
    BlobStreamHolder stream(this, bmRead);
    return stream ? static_cast<Integer>(stream->GetSize()) : 0;
}

std::string TBlobField::GetAsString() {
    BlobStreamHolder stream(this, bmRead);
    if (!stream) return {};
    std::string result(static_cast<size_t>(stream->GetSize()), '\0');
    Int64 n = result.empty() ? 0 : stream->Read(result.data(), static_cast<Int64>(result.size()));
    result.resize(static_cast<size_t>(std::max<Int64>(n, 0)));
    return result;
}

void TBlobField::SetAsString(const std::string& Value) {
    BlobStreamHolder stream(this, bmWrite);
    if (stream && !Value.empty()) stream->WriteBuffer(Value.data(), static_cast<Int64>(Value.size()));
}

void TBlobField::LoadFromStream(TStream* Stream) {
    BlobStreamHolder stream(this, bmWrite);
    if (stream) stream->CopyFrom(Stream, 0);
}

void TBlobField::SaveToStream(TStream* Stream) {
    BlobStreamHolder stream(this, bmRead);
    if (stream) Stream->CopyFrom(stream.Get(), 0);
}

void TBlobField::LoadFromFile(const std::string& FileName) {
    TFileStream* file = new TFileStream(FileName, fmOpenRead);
    try {
        LoadFromStream(file);
    } catch (...) {
        file->Free();
        throw;
    }
    file->Free();
}

void TBlobField::SaveToFile(const std::string& FileName) {
    TFileStream* file = new TFileStream(FileName, fmCreate);
    try {
        SaveToStream(file);
    } catch (...) {
        file->Free();
        throw;
    }
    file->Free();
}

Variant TBlobField::GetAsVariant() {
    if (GetIsNull()) return Variant::Null();
    return Variant(GetAsString());
}

void TBlobField::SetVarValue(const Variant& Value) {
    SetAsString(Value.AsString());
}

void TBlobField::Assign(TPersistent* Source) {
    if (auto* blob = dynamic_cast<TBlobField*>(Source)) {
        if (blob->GetIsNull())
            Clear();
        else
            SetAsString(blob->GetAsString());
        return;
    }
    if (auto* strings = dynamic_cast<TStrings*>(Source)) {
        SetAsString(strings->GetText());
        return;
    }
    TBitmap* bitmap = dynamic_cast<TBitmap*>(Source);
    if (auto* picture = dynamic_cast<TPicture*>(Source)) {
        if (!picture->GetGraphic()) {
            Clear();
            return;
        }
        bitmap = dynamic_cast<TBitmap*>(picture->GetGraphic());
    }
    if (bitmap) {
        BlobStreamHolder stream(this, bmWrite);
        if (stream) bitmap->SaveToStream(stream.Get());
        return;
    }
    TField::Assign(Source);
}

void TBlobField::AssignTo(TPersistent* Dest) {
    auto* picture = dynamic_cast<TPicture*>(Dest);
    auto* bitmap = picture ? nullptr : dynamic_cast<TBitmap*>(Dest);
    if (!picture && !bitmap) {
        TField::AssignTo(Dest);
        return;
    }
    if (GetIsNull()) {
        if (picture)
            picture->SetGraphic(nullptr);
        else
            bitmap->Assign(nullptr);
        return;
    }
    BlobStreamHolder stream(this, bmRead);
    if (!stream) return;
    (picture ? picture->GetBitmap() : bitmap)->LoadFromStream(stream.Get());
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) {
    SetDataType(ftMemo);
}

TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) {
    SetDataType(ftGraphic);
}
