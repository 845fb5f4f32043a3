#pragma once
// A memory table with field components made in code, as a data module holds them, and small
// helpers to fill and read it.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dbgrid/mem_data.h"

// The message of the exception Action raises, "(no error)" when it raises none.
inline std::string ErrorOf(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const Exception& e) {
        return e.Message;
    }
    return "(no error)";
}

class MemTable {
public:
    TComponent* Owner = new TComponent(nullptr);
    TgxMemData* T = new TgxMemData(Owner);

    MemTable() = default;
    MemTable(const MemTable&) = delete;
    ~MemTable() { Owner->Free(); }

    template <class F>
    F* Add(const std::string& Name, Integer Size = 0, TFieldKind Kind = fkData) {
        auto* f = new F(Owner);
        f->SetFieldName(Name);
        if (Size) f->SetSize(Size);
        f->SetFieldKind(Kind);
        f->SetDataSet(T);
        return f;
    }

    // Appends a record with the named fields set (Null and Empty leave a field null).
    void Append(const std::vector<std::pair<std::string, Variant>>& Values) {
        T->Append();
        for (const auto& [name, value] : Values) T->FieldByName(name)->SetAsVariant(value);
        T->Post();
    }

    // The field's texts of the visible records in order; the table ends on its last record.
    std::vector<std::string> Column(const std::string& Name) {
        std::vector<std::string> result;
        for (T->First(); !T->GetEOF(); T->Next()) result.push_back(T->FieldByName(Name)->GetAsString());
        return result;
    }
};

// A table with the fields of the program's file tables.
class FileTable : public MemTable {
public:
    TAutoIncField* KeyID = Add<TAutoIncField>("KeyID");
    TIntegerField* FileID = Add<TIntegerField>("FileID");
    TStringField* Filename = Add<TStringField>("Filename", 100);
    TIntegerField* PathID = Add<TIntegerField>("PathID");
    TStringField* Path = Add<TStringField>("Path", 250);
    TStringField* OriginalExtension = Add<TStringField>("OriginalExtension", 5);
    TIntegerField* LMFileType = Add<TIntegerField>("LMFileType");
    TDateTimeField* FileDate = Add<TDateTimeField>("FileDate");
    TIntegerField* FileSize = Add<TIntegerField>("FileSize");
    TIntegerField* StorageMethod = Add<TIntegerField>("StorageMethod");

    void AddFile(const std::string& Name, const std::string& Folder, Integer Type = 0) {
        T->Append();
        FileID->SetAsInteger(-5);
        Filename->SetAsString(Name);
        PathID->SetAsInteger(-5);
        Path->SetAsString(Folder);
        LMFileType->SetAsInteger(Type);
        StorageMethod->SetAsInteger(-5);
        T->Post();
    }
};
