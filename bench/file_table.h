#pragma once
// The rows of the program's file tables for benchmarks: random file names in 7 kinds below dated
// folders, and a memory table with the file-table fields filled from them.

#include <random>
#include <string>
#include <vector>

#include "dbgrid/mem_data.h"
#include "framework/date_time.h"

namespace bench {

constexpr int FileTypes = 7;

struct Row {
    int FileID, PathID, LMFileType, FileSize, StorageMethod;
    std::string Filename, Path, Extension;
    double FileDate;
};

inline std::vector<Row> MakeRows(int Count) {
    std::mt19937 rng(2024);
    const char* extensions[] = {"jpg", "png", "gif", "txt", "mp3", "avi", "htm"};
    const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789";
    std::vector<Row> rows(Count);
    for (int i = 0; i < Count; ++i) {
        Row& r = rows[i];
        int type = static_cast<int>(rng() % FileTypes);
        std::string stem;
        for (int n = 6 + static_cast<int>(rng() % 14); n > 0; --n) stem += letters[rng() % letters.size()];
        r.Extension = extensions[type];
        r.Filename = stem + "." + r.Extension;
        r.Path = "/home/user/Pictures/" + std::to_string(2000 + i / 5000) + "/folder_" + std::to_string(i / 500) + "/";
        r.FileID = r.PathID = r.StorageMethod = -5;
        r.LMFileType = type;
        r.FileSize = static_cast<int>(rng() % 5000000);
        r.FileDate = EncodeDate(2020, 1, 1) + (rng() % 1500) + (rng() % 86400) / 86400.0;
    }
    return rows;
}

struct Table {
    TComponent* Owner = new TComponent(nullptr);
    TgxMemData* T = new TgxMemData(Owner);
    TAutoIncField* KeyID;
    TIntegerField *FileID, *PathID, *LMFileType, *FileSize, *StorageMethod;
    TStringField *Filename, *Path, *OriginalExtension;
    TDateTimeField* FileDate;

    template <class F>
    F* Add(const char* Name, Integer Size = 0) {
        auto* f = new F(Owner);
        f->SetFieldName(Name);
        if (Size) f->SetSize(Size);
        f->SetDataSet(T);
        return f;
    }
    Table() {
        KeyID = Add<TAutoIncField>("KeyID");
        FileID = Add<TIntegerField>("FileID");
        Filename = Add<TStringField>("Filename", 100);
        PathID = Add<TIntegerField>("PathID");
        Path = Add<TStringField>("Path", 250);
        OriginalExtension = Add<TStringField>("OriginalExtension", 5);
        LMFileType = Add<TIntegerField>("LMFileType");
        FileDate = Add<TDateTimeField>("FileDate");
        FileSize = Add<TIntegerField>("FileSize");
        StorageMethod = Add<TIntegerField>("StorageMethod");
        T->Open();
    }
    ~Table() { Owner->Free(); }

    void Fill(const std::vector<Row>& Rows) {
        for (const Row& r : Rows) {
            T->Append();
            FileID->SetAsInteger(r.FileID);
            Filename->SetAsString(r.Filename);
            PathID->SetAsInteger(r.PathID);
            Path->SetAsString(r.Path);
            OriginalExtension->SetAsString(r.Extension);
            LMFileType->SetAsInteger(r.LMFileType);
            FileDate->SetAsDateTime(r.FileDate);
            FileSize->SetAsInteger(r.FileSize);
            StorageMethod->SetAsInteger(r.StorageMethod);
            T->Post();
        }
    }
};

}  // namespace bench
