#pragma once
// A component that carries one file record on a form: the file a dialog or a viewer window works
// on. Each field but HasFalseExtension is a read-write property bound to the record.

#include "catalogue/lm_types.h"
#include "framework/component.h"

class TFileRecordComp : public TComponent {
    LUMORA_CLASS(TFileRecordComp, TComponent)
public:
    explicit TFileRecordComp(TComponent* AOwner) : TComponent(AOwner) { ClearFileRecord(FRecord); }

    // The held record becomes a cleared record (its KeyID stays).
    void Clear() { ClearFileRecord(FRecord); }
    void GetRecord(TFileRecord& Rec) const { Rec = FRecord; }
    void SetRecord(const TFileRecord& Rec) { FRecord = Rec; }

    const std::string& Get_Name() const { return FRecord.Name; }
    void Set_Name(const std::string& Value) { FRecord.Name = Value; }
    Integer GetFileID() const { return FRecord.FileID; }
    void SetFileID(Integer Value) { FRecord.FileID = Value; }
    Integer GetKeyID() const { return FRecord.KeyID; }
    void SetKeyID(Integer Value) { FRecord.KeyID = Value; }
    Integer GetPathID() const { return FRecord.PathID; }
    void SetPathID(Integer Value) { FRecord.PathID = Value; }
    const std::string& GetPath() const { return FRecord.Path; }
    void SetPath(const std::string& Value) { FRecord.Path = Value; }
    const std::string& GetFullName() const { return FRecord.FullName; }
    void SetFullName(const std::string& Value) { FRecord.FullName = Value; }
    TLMFileTypes GetFileType() const { return FRecord.FileType; }
    void SetFileType(TLMFileTypes Value) { FRecord.FileType = Value; }
    const std::string& GetOriginalExtension() const { return FRecord.OriginalExtension; }
    void SetOriginalExtension(const std::string& Value) { FRecord.OriginalExtension = Value; }
    SmallInt GetStorageMethod() const { return FRecord.StorageMethod; }
    void SetStorageMethod(SmallInt Value) { FRecord.StorageMethod = Value; }
    bool GetRefInDB() const { return FRecord.RefInDB; }
    void SetRefInDB(bool Value) { FRecord.RefInDB = Value; }
    bool GetNewlyCreatedFile() const { return FRecord.NewlyCreatedFile; }
    void SetNewlyCreatedFile(bool Value) { FRecord.NewlyCreatedFile = Value; }
    bool GetFileHasChanged() const { return FRecord.FileHasChanged; }
    void SetFileHasChanged(bool Value) { FRecord.FileHasChanged = Value; }

private:
    TFileRecord FRecord;
};
