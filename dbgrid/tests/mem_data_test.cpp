// The memory table's storage: layout, record ids and auto-increment, insert and append
// positions, values of every field type, errors, calculated fields.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dbgrid/tests/mem_table.h"
#include "framework/date_time.h"
#include "framework/format_settings.h"
#include "framework/sysutils.h"

TEST(MemDataCore, HiddenRecIdFieldAndLayoutSizes) {
    MemTable m;
    m.T->SetName("memMode3");
    TIntegerField* recId = m.T->GetRecIdField();
    EXPECT_EQ(m.T->GetFields()->GetField(0), recId);
    EXPECT_EQ(recId->GetFieldName(), "RecId");
    EXPECT_EQ(recId->GetName(), "memMode3RecId");
    EXPECT_EQ(recId->GetFieldKind(), fkCalculated);
    EXPECT_FALSE(recId->GetVisible());

    // Only the hidden field: 1 + 4 bytes of data, plus the id and the flag.
    m.T->Open();
    EXPECT_EQ(m.T->GetMemFields()->GetRecordDataSize(), 5);
    EXPECT_EQ(m.T->GetRecordBufferSize(), 10);
    EXPECT_EQ(m.T->GetBookmarkSize(), 4);
    m.T->Close();

    m.Add<TSmallintField>("Small");
    m.Add<TStringField>("Name", 10);
    m.T->Open();
    TgxMemFields* layout = m.T->GetMemFields();
    ASSERT_EQ(layout->GetCount(), 3);
    EXPECT_EQ(layout->GetItem(1)->GetOffset(), 5);
    EXPECT_EQ(layout->GetItem(2)->GetOffset(), 8);
    EXPECT_EQ(layout->GetRecordDataSize(), 5 + 3 + m.T->FieldByName("Name")->GetDataSize() + 1);
    EXPECT_TRUE(layout->GetItem(0)->GetAutoIncrement());
}

TEST(MemDataCore, DefinitionsMakeTheFieldsOfATableWithoutComponents) {
    MemTable m;
    m.T->GetFieldDefs()->Add("Name", ftString, 8);
    m.T->GetFieldDefs()->Add("Count", ftInteger);
    m.T->Open();
    ASSERT_EQ(m.T->GetFieldCount(), 3);
    m.Append({{"Name", "alpha"}, {"Count", 7}});
    EXPECT_EQ(m.T->FieldByName("Name")->GetAsString(), "alpha");
    m.T->Close();
    EXPECT_EQ(m.T->GetFieldCount(), 1);  // the made fields go, the hidden one stays
    m.T->Open();
    EXPECT_EQ(m.T->GetFieldCount(), 3);
}

TEST(MemDataCore, AutoIncrementKeepsRisingValuesAndNumbersTheRest) {
    MemTable m;
    TAutoIncField* key = m.Add<TAutoIncField>("KeyID");
    m.T->Open();
    struct Case {
        Variant Stored;
        Integer Expected;
    } cases[] = {{Variant(), 1}, {Variant(), 2}, {Variant(), 3}, {10, 10}, {Variant(), 11}, {5, 12}};
    Integer recId = 0;
    for (const Case& c : cases) {
        m.Append({{"KeyID", c.Stored}});
        EXPECT_EQ(key->GetAsInteger(), c.Expected);
        EXPECT_EQ(m.T->GetRecIdField()->GetAsInteger(), ++recId);
    }

    // Emptied by closing, the table numbers from 1 again: record ids, RecId and KeyID.
    m.T->Close();
    m.T->Open();
    m.Append({});
    EXPECT_EQ(key->GetAsInteger(), 1);
    EXPECT_EQ(m.T->GetRecIdField()->GetAsInteger(), 1);
    Integer id = 0;
    std::string bookmark = m.T->GetBookmarkStr();
    std::memcpy(&id, bookmark.data(), 4);
    EXPECT_EQ(id, 1);
}

TEST(MemDataCore, NewRecordShowsItsRecIdBeforePostAndCancelGivesItBack) {
    MemTable m;
    m.Add<TStringField>("Name");
    m.T->Open();
    m.Append({{"Name", "a"}});
    m.Append({{"Name", "b"}});
    m.T->Insert();
    EXPECT_EQ(m.T->GetRecIdField()->GetAsInteger(), 3);
    m.T->Cancel();
    m.T->Append();
    EXPECT_EQ(m.T->GetRecIdField()->GetAsInteger(), 3);
    m.T->Post();
    EXPECT_EQ(m.T->GetRecIdField()->GetAsInteger(), 3);
    EXPECT_EQ(m.T->GetRecordCount(), 3);
}

TEST(MemDataCore, InsertAndAppendPositions) {
    MemTable m;
    TStringField* name = m.Add<TStringField>("Name");
    m.T->Open();
    for (const char* s : {"a", "b", "c", "d", "e"}) m.Append({{"Name", s}});

    // InsertRecord stores at the end and leaves the current record where it was.
    m.T->SetRecNo(3);
    m.T->InsertRecord({Variant(), "x"});
    EXPECT_EQ(name->GetAsString(), "c");
    EXPECT_EQ(m.T->GetRecNo(), 3);
    EXPECT_EQ(m.T->GetRecordCount(), 6);

    // AppendRecord stores at the end and makes the new record current.
    m.T->AppendRecord({Variant(), "y"});
    EXPECT_EQ(name->GetAsString(), "y");
    EXPECT_EQ(m.T->GetRecNo(), 7);

    // A posted insert lands before the record it was started on and stays current.
    m.T->SetRecNo(2);
    m.T->Insert();
    name->SetAsString("m");
    m.T->Post();
    EXPECT_EQ(name->GetAsString(), "m");
    EXPECT_EQ(m.T->GetRecNo(), 2);
    EXPECT_EQ(m.Column("Name"), (std::vector<std::string>{"a", "m", "b", "c", "d", "e", "x", "y"}));

    // Insert into an empty table.
    MemTable e;
    TStringField* only = e.Add<TStringField>("Name");
    e.T->Open();
    e.T->Insert();
    only->SetAsString("first");
    e.T->Post();
    EXPECT_EQ(e.Column("Name"), (std::vector<std::string>{"first"}));
}

TEST(MemDataCore, UnsupportedFieldTypesKeepTheTableClosed) {
    struct Case {
        const char* Name;
        std::function<void(MemTable&)> AddField;
    } cases[] = {
        {"bytes", [](MemTable& m) { m.Add<TBytesField>("Raw", 4); }},
        {"varbytes", [](MemTable& m) { m.Add<TVarBytesField>("Raw", 4); }},
        {"fixedchar", [](MemTable& m) { m.Add<TStringField>("Raw", 4)->SetFixedChar(true); }},
        {"definition", [](MemTable& m) { m.T->GetFieldDefs()->Add("Raw", ftBytes, 4); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MemTable m;
        c.AddField(m);
        EXPECT_EQ(ErrorOf([&] { m.T->Open(); }), "Unsupported field type: Raw");
        EXPECT_FALSE(m.T->GetActive());
    }
}

TEST(MemDataCore, ModifyingErrors) {
    MemTable m;
    TStringField* name = m.Add<TStringField>("Name");
    m.T->Open();
    m.Append({{"Name", "a"}});
    EXPECT_EQ(ErrorOf([&] { name->SetAsString("b"); }), "Dataset not in edit or insert mode");

    m.T->SetReadOnly(true);
    struct Case {
        const char* Name;
        std::function<void()> Action;
    } cases[] = {
        {"edit", [&] { m.T->Edit(); }},
        {"insert", [&] { m.T->Insert(); }},
        {"append", [&] { m.T->AppendRecord({Variant(), "x"}); }},
        {"delete", [&] { m.T->Delete(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ErrorOf(c.Action), "Cannot modify a read-only dataset");
        EXPECT_EQ(m.T->GetState(), dsBrowse);
    }
    EXPECT_EQ(m.T->GetRecordCount(), 1);
}

// Every supported type keeps its value and its null state through storing and fetching, and
// the stored record carries the native forms.
TEST(MemDataCore, ValuesOfEveryTypeSurviveStoring) {
    FormatSettings = TFormatSettings::English();
    MemTable m;
    struct Case {
        TField* Field;
        Variant Value;
    };
    TDateTime day = EncodeDate(2024, 2, 29);
    TDateTime time = EncodeTime(13, 45, 30, 250);
    std::vector<Case> cases = {
        {m.Add<TStringField>("Text", 5), Variant("ÄÖÜßé")},
        {m.Add<TSmallintField>("Small"), Variant(-12345)},
        {m.Add<TIntegerField>("Int"), Variant(-2000000000)},
        {m.Add<TWordField>("Word"), Variant(65535)},
        {m.Add<TBooleanField>("Bool"), Variant(true)},
        {m.Add<TFloatField>("Float"), Variant(3.25)},
        {m.Add<TCurrencyField>("Money"), Variant(12.5)},
        {m.Add<TBCDField>("Bcd", 4), Variant::FromCurrency(1234567)},
        {m.Add<TDateField>("Date"), Variant::FromDateTime(day)},
        {m.Add<TTimeField>("Time"), Variant::FromDateTime(time)},
        {m.Add<TDateTimeField>("Stamp"), Variant::FromDateTime(day + time)},
        {m.Add<TWideStringField>("Wide", 20), Variant("wide ✓ text")},
        {m.Add<TLargeintField>("Large"), Variant(Int64(1) << 40 | 5)},
    };
    m.T->Open();
    m.T->Append();
    for (const Case& c : cases) c.Field->SetAsVariant(c.Value);
    m.T->Post();
    m.Append({});  // all null
    m.T->First();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Field->GetFieldName());
        EXPECT_FALSE(c.Field->GetIsNull());
        EXPECT_EQ(VariantCompare(c.Field->GetAsVariant(), c.Value), 0) << c.Field->GetAsString();
    }
    // The native forms of the date types: day 1 is 1 January of year 1.
    Integer days = 0, ms = 0;
    double stamp = 0;
    m.T->FieldByName("Date")->GetData(&days);
    m.T->FieldByName("Time")->GetData(&ms);
    m.T->FieldByName("Stamp")->GetData(&stamp);
    EXPECT_EQ(days, 738945);
    EXPECT_EQ(ms, 49530250);
    EXPECT_EQ(stamp, 63844897530250.0);

    m.T->Next();
    for (const Case& c : cases) EXPECT_TRUE(c.Field->GetIsNull()) << c.Field->GetFieldName();

    // Texts grow and shrink in place.
    m.T->First();
    m.T->Edit();
    cases[0].Field->SetAsString("ab");
    cases[11].Field->SetAsString(std::string(300, 'w'));
    m.T->Post();
    m.T->Last();
    m.T->First();
    EXPECT_EQ(cases[0].Field->GetAsString(), "ab");
    EXPECT_EQ(cases[11].Field->GetAsString(), std::string(300, 'w'));
    EXPECT_EQ(cases[3].Field->GetAsInteger(), 65535);
}

// A calculated value set while browsing does not stay; Refresh stores what OnCalcFields gives,
// also in a read-only table, without the post events.
TEST(MemDataCore, RefreshStoresCalculatedValues) {
    MemTable m;
    TStringField* name = m.Add<TStringField>("Name");
    TStringField* label = m.Add<TStringField>("Label", 20, fkCalculated);
    std::string suffix = "1";
    m.T->OnCalcFields = [&](TDataSet*) { label->SetAsString(name->GetAsString() + suffix); };
    int posts = 0;
    m.T->BeforePost = [&](TDataSet*) { ++posts; };
    m.T->Open();
    m.Append({{"Name", "a"}});
    m.Append({{"Name", "b"}});
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(m.Column("Label"), (std::vector<std::string>{"a1", "b1"}));

    suffix = "2";
    EXPECT_EQ(m.Column("Label"), (std::vector<std::string>{"a1", "b1"}));
    m.T->SetReadOnly(true);
    m.T->SetRecNo(2);
    m.T->Refresh();
    EXPECT_EQ(m.T->GetRecNo(), 2);
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(m.Column("Label"), (std::vector<std::string>{"a2", "b2"}));
    EXPECT_FALSE(m.T->GetIsLoading());
    EXPECT_EQ(ErrorOf([&] { m.T->Edit(); }), "Cannot modify a read-only dataset");
}

// Lookup values come into the stored records when a record is stored and again on Refresh.
TEST(MemDataCore, RefreshStoresLookupValues) {
    MemTable types;
    TIntegerField* typeId = types.Add<TIntegerField>("TypeID");
    TStringField* typeName = types.Add<TStringField>("TypeName");
    types.T->Open();
    types.Append({{"TypeID", 1}, {"TypeName", "Image"}});
    types.Append({{"TypeID", 2}, {"TypeName", "Text"}});

    MemTable files;
    files.Add<TStringField>("Filename");
    files.Add<TIntegerField>("LMFileType");
    TStringField* kind = files.Add<TStringField>("Kind", 20, fkLookup);
    kind->SetLookupDataSet(types.T);
    kind->SetKeyFields("LMFileType");
    kind->SetLookupKeyFields("TypeID");
    kind->SetLookupResultField("TypeName");
    files.T->Open();
    files.Append({{"Filename", "a.jpg"}, {"LMFileType", 1}});
    files.Append({{"Filename", "b.txt"}, {"LMFileType", 2}});
    files.Append({{"Filename", "c.xyz"}, {"LMFileType", 3}});
    EXPECT_EQ(files.Column("Kind"), (std::vector<std::string>{"Image", "Text", ""}));

    types.T->Locate("TypeID", 2, {});
    types.T->Edit();
    typeName->SetAsString("Document");
    types.T->Post();
    EXPECT_EQ(files.Column("Kind"), (std::vector<std::string>{"Image", "Text", ""}));
    files.T->Refresh();
    EXPECT_EQ(files.Column("Kind"), (std::vector<std::string>{"Image", "Document", ""}));
    EXPECT_EQ(typeId->GetAsInteger(), 2);
}

// Wide strings sort and match by the collation; a partial key on a sorted wide field is
// searched record by record.
TEST(MemDataCore, WideStringsCompareByCollation) {
    MemTable m;
    TWideStringField* title = m.Add<TWideStringField>("Title", 8);
    m.T->Open();
    for (const char* s : {"beta", "Alpha", "Gamma", "alpha"}) m.Append({{"Title", s}});
    m.T->SetSortOptions({soCaseInsensitive});
    m.T->SetSortedField("Title");
    std::vector<std::string> sorted = m.Column("Title");
    ASSERT_EQ(sorted.size(), 4u);
    EXPECT_EQ(AnsiCompareText(sorted[0], "alpha"), 0);
    EXPECT_EQ(AnsiCompareText(sorted[1], "alpha"), 0);
    EXPECT_EQ(sorted[2], "beta");
    EXPECT_EQ(sorted[3], "Gamma");

    EXPECT_TRUE(m.T->Locate("Title", "GAMMA", {loCaseInsensitive}));
    EXPECT_EQ(title->GetAsString(), "Gamma");
    EXPECT_TRUE(m.T->Locate("Title", "bet", {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(title->GetAsString(), "beta");
    EXPECT_TRUE(m.T->Locate("Title", "BETA", {}));  // the sort folds case
    EXPECT_EQ(title->GetAsString(), "beta");
    EXPECT_FALSE(m.T->Locate("Title", "alphabets", {loPartialKey}));  // longer than the field
}
