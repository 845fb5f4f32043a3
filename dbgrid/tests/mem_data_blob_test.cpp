// The memory table's blob streams and its TAB-separated text files.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dbgrid/tests/mem_table.h"
#include "framework/exceptions.h"

namespace {

// A table with a text field and a blob field, holding one record with a 10-byte blob.
class BlobTable : public MemTable {
public:
    TStringField* Name = Add<TStringField>("Name", 20);
    TBlobField* Data = Add<TBlobField>("Data");

    BlobTable() {
        T->Open();
        Append({{"Name", "first"}, {"Data", "0123456789"}});
    }

    std::unique_ptr<TStream, void (*)(TStream*)> Stream(TBlobStreamMode Mode) {
        return {T->CreateBlobStream(Data, Mode), [](TStream* s) { s->Free(); }};
    }
};

std::string TempName(const std::string& Tag) {
    return ::testing::TempDir() + "memdata_" + Tag + "_" + std::to_string(getpid()) + ".txt";
}

std::string FileText(const std::string& Name) {
    std::ifstream in(Name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string& Name, const std::string& Text) {
    std::ofstream(Name, std::ios::binary) << Text;
}

}  // namespace

TEST(MemDataBlob, ReadSeekAndNegativePositions) {
    BlobTable m;
    auto s = m.Stream(bmRead);
    char buf[16] = {};
    EXPECT_EQ(s->Seek(0, soEnd), 10);
    EXPECT_EQ(s->Seek(8, soBeginning), 8);
    EXPECT_EQ(s->Read(buf, 4), 2);
    EXPECT_EQ(std::string(buf, 2), "89");
    EXPECT_EQ(s->GetPosition(), 10);
    EXPECT_EQ(s->Read(buf, 4), 0);
    // Seeking is not clamped, but nothing is read before the value.
    EXPECT_EQ(s->Seek(-15, soCurrent), -5);
    EXPECT_EQ(s->Read(buf, 4), 0);
    EXPECT_EQ(s->GetPosition(), -5);
    EXPECT_EQ(m.Data->GetAsString(), "0123456789");
}

TEST(MemDataBlob, WritesNeedAnEditAndFillGapsWithZeros) {
    BlobTable m;
    EXPECT_EQ(ErrorOf([&] { m.Stream(bmWrite); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf([&] { m.Stream(bmReadWrite); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf([&] { m.Stream(bmRead); }), "(no error)");

    m.T->Edit();
    {
        auto s = m.Stream(bmWrite);  // empties the value at once
        EXPECT_EQ(s->Seek(0, soEnd), 0);
        s->Seek(-2, soBeginning);
        EXPECT_EQ(s->Write("xy", 2), 0);
        s->Seek(5, soBeginning);
        EXPECT_EQ(s->Write("abc", 3), 3);
        EXPECT_EQ(s->Seek(0, soEnd), 8);
    }
    EXPECT_TRUE(m.Data->GetModified());
    EXPECT_TRUE(m.T->GetModified());
    m.T->Post();
    EXPECT_EQ(m.Data->GetAsString(), std::string(5, '\0') + "abc");

    // A read-only field refuses a stream for writing.
    m.Data->SetReadOnly(true);
    m.T->Edit();
    EXPECT_EQ(ErrorOf([&] { m.Stream(bmWrite); }), "Field 'Data' cannot be modified");
    m.T->Cancel();
}

TEST(MemDataBlob, CancelRestoresTheStoredValueAndEmptyBlobsReadNull) {
    BlobTable m;
    m.T->Edit();
    m.Data->SetAsString("changed");
    EXPECT_EQ(m.Data->GetAsString(), "changed");
    m.T->Cancel();
    EXPECT_EQ(m.Data->GetAsString(), "0123456789");

    // A new record starts empty, so its blob reads as null; the first record keeps its value.
    m.Append({{"Name", "second"}});
    EXPECT_TRUE(m.Data->GetIsNull());
    m.T->Insert();
    m.Data->SetAsString("typed");
    m.T->Cancel();
    m.T->First();
    EXPECT_EQ(m.Data->GetAsString(), "0123456789");
    // A record added with its values keeps its own blob and leaves the others' alone.
    m.T->InsertRecord({Variant(), Variant("third"), Variant("inserted")});
    ASSERT_TRUE(m.T->Locate("Name", "third", {}));
    EXPECT_EQ(m.Data->GetAsString(), "inserted");
    m.T->Locate("Name", "first", {});
    EXPECT_EQ(m.Data->GetAsString(), "0123456789");
}

// ---------------------------------------------------------------------------------------------
// Text files

namespace {

// The lines of what `cut -f Fields` reads from the file.
std::vector<std::string> Cut(const std::string& Fields, const std::string& File) {
    std::vector<std::string> lines;
    FILE* p = popen(("cut -f " + Fields + " '" + File + "'").c_str(), "r");
    if (!p) return lines;
    std::string text;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    pclose(p);
    std::stringstream s(text);
    for (std::string line; std::getline(s, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class TextTable : public MemTable {
public:
    TAutoIncField* KeyID = Add<TAutoIncField>("KeyID");
    TStringField* Filename = Add<TStringField>("Filename", 6000);
    TBlobField* Data = Add<TBlobField>("Data");
    TIntegerField* Size = Add<TIntegerField>("Size");
    TStringField* Calc = Add<TStringField>("Calc", 10, fkCalculated);
};

}  // namespace

TEST(MemDataText, SavedFileReadsBackWithCut) {
    TextTable m;
    m.T->Open();
    m.Append({{"Filename", "a.jpg"}, {"Data", "blob"}, {"Size", 10}});
    m.Append({{"Filename", "b c.png"}, {"Size", Variant()}});
    m.Append({{"Filename", "d.txt"}, {"Size", -3}});
    m.T->SetRecNo(2);
    const std::string file = TempName("save");
    m.T->SaveToTextFile(file);
    EXPECT_EQ(m.T->GetRecNo(), 2);  // back on the record it stood on
    EXPECT_FALSE(m.T->ControlsDisabled());

    EXPECT_EQ(FileText(file), "KeyID\tFilename\tSize\r\n1\ta.jpg\t10\r\n2\tb c.png\t\r\n3\td.txt\t-3\r\n");
    if (system("command -v cut >/dev/null 2>&1") == 0) {
        EXPECT_EQ(Cut("2", file), (std::vector<std::string>{"Filename", "a.jpg", "b c.png", "d.txt"}));
        EXPECT_EQ(Cut("1,3", file), (std::vector<std::string>{"KeyID\tSize", "1\t10", "2\t", "3\t-3"}));
    }

    // Saving over a file that cannot be replaced keeps it and reports the error.
    const std::string folder = TempName("folder");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    EXPECT_NE(ErrorOf([&] { m.T->SaveToTextFile(folder); }), "(no error)");
    rmdir(folder.c_str());

    // A closed table writes nothing.
    std::remove(file.c_str());
    m.T->Close();
    m.T->SaveToTextFile(file);
    EXPECT_FALSE(std::ifstream(file).good());
}

TEST(MemDataText, LoadReplacesTheRecordsAndSkipsUnknownColumns) {
    TextTable m;
    m.T->Open();
    m.Append({{"Filename", "old"}});
    const std::string file = TempName("load");
    const std::string longName(5000, 'x');
    WriteText(file, "Size\tUnknown\tFilename\tCalc\n7\tq\t" + longName + "\tc\r\n\tq\tshort\t\n");
    bool opened = false;
    m.T->AfterOpen = [&](TDataSet*) { opened = true; };
    m.T->LoadFromTextFile(file);
    EXPECT_FALSE(opened);  // quiet while loading
    EXPECT_FALSE(m.T->GetIsLoading());
    EXPECT_EQ(m.T->GetRecordCount(), 2);
    EXPECT_EQ(m.T->GetRecNo(), 1);
    EXPECT_EQ(m.Filename->GetAsString(), longName);
    EXPECT_EQ(m.Size->GetAsInteger(), 7);
    EXPECT_EQ(m.KeyID->GetAsInteger(), 1);
    m.T->Next();
    EXPECT_EQ(m.Filename->GetAsString(), "short");
    EXPECT_TRUE(m.Size->GetIsNull());

    // An empty file changes nothing.
    WriteText(file, "");
    m.T->LoadFromTextFile(file);
    EXPECT_EQ(m.T->GetRecordCount(), 2);
    std::remove(file.c_str());
}

TEST(MemDataText, FailedLoadsKeepWhatWasReadAndEndTheLoad) {
    struct Case {
        const char* Text;
        const char* Error;
        Integer Records;
    };
    const Case cases[] = {
        {"Filename\tSize\na\t1\nb\t2\t3\nc\t4\n", "List index out of bounds (2)", 1},
        {"Filename\tSize\na\t1\nb\tlots\n", "'lots' is not a valid integer value for field 'Size'", 1},
    };
    const std::string file = TempName("fail");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        TextTable m;
        m.T->SetReadOnly(true);
        m.T->Open();
        WriteText(file, c.Text);
        EXPECT_EQ(ErrorOf([&] { m.T->LoadFromTextFile(file); }), c.Error);
        EXPECT_EQ(m.T->GetState(), dsBrowse);
        EXPECT_EQ(m.T->GetRecordCount(), c.Records);
        EXPECT_FALSE(m.T->GetIsLoading());
        EXPECT_FALSE(m.T->ControlsDisabled());
        EXPECT_FALSE(m.T->GetCanModify());  // read-only again
    }
    std::remove(file.c_str());

    TextTable m;
    m.T->Open();
    m.Append({{"Filename", "kept"}});
    EXPECT_NE(ErrorOf([&] { m.T->LoadFromTextFile(file); }), "(no error)");
    EXPECT_EQ(m.T->GetRecordCount(), 1);
}
