#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/date_time.h"
#include "framework/dataset.h"
#include "framework/format_settings.h"
#include "framework/graphics.h"
#include "framework/stream.h"
#include "framework/string_list.h"
#include "framework/testing/vector_dataset.h"

namespace {

// A dataset with one field of each kind, in edit mode on its only record, under English settings.
class Fields : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = FormatSettings;
        FormatSettings = TFormatSettings::English();
        auto* defs = ds->GetFieldDefs();
        defs->Add("Int", ftInteger);
        defs->Add("Small", ftSmallint);
        defs->Add("Word", ftWord);
        defs->Add("Big", ftLargeint);
        defs->Add("Flag", ftBoolean);
        defs->Add("Real", ftFloat);
        defs->Add("Money", ftCurrency);
        defs->Add("Dec", ftBCD, 4);
        defs->Add("Day", ftDate);
        defs->Add("Clock", ftTime);
        defs->Add("Stamp", ftDateTime);
        defs->Add("Text", ftString, 5);
        defs->Add("Wide", ftWideString, 5);
        defs->Add("Auto", ftAutoInc);
        ds->Open();
        ds->Append();
    }
    void TearDown() override {
        ds->Free();
        FormatSettings = saved_;
    }
    TField* F(const char* name) { return ds->FieldByName(name); }
    std::string Error(const std::function<void()>& f) {
        try {
            f();
        } catch (const Exception& e) {
            return e.Message;
        }
        return "no error";
    }

    TVectorDataSet* ds = new TVectorDataSet(nullptr);
    TFormatSettings saved_;
};

}  // namespace

TEST_F(Fields, DefaultClassesSizesAndLayout) {
    struct Case {
        const char* name;
        const char* cls;
        Integer dataSize;
        TAlignment alignment;
    };
    std::vector<Case> cases = {
        {"Int", "TIntegerField", 4, taRightJustify},    {"Small", "TSmallintField", 2, taRightJustify},
        {"Word", "TWordField", 2, taRightJustify},      {"Big", "TLargeintField", 8, taRightJustify},
        {"Flag", "TBooleanField", 2, taLeftJustify},    {"Real", "TFloatField", 8, taRightJustify},
        {"Money", "TCurrencyField", 8, taRightJustify}, {"Dec", "TBCDField", 34, taRightJustify},
        {"Day", "TDateField", 4, taLeftJustify},        {"Clock", "TTimeField", 4, taLeftJustify},
        {"Stamp", "TDateTimeField", 8, taLeftJustify},  {"Text", "TStringField", 21, taLeftJustify},
        {"Wide", "TWideStringField", 4, taLeftJustify}, {"Auto", "TAutoIncField", 4, taRightJustify},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TField* f = F(c.name);
        EXPECT_EQ(f->ClassName(), c.cls);
        EXPECT_EQ(f->GetDataSize(), c.dataSize);
        EXPECT_EQ(f->GetAlignment(), c.alignment);
        EXPECT_EQ(f->GetDisplayLabel(), c.name);
        EXPECT_EQ(f->GetFieldKind(), fkData);
        EXPECT_TRUE(f->GetIsNull());
        EXPECT_EQ(f->GetText(), "");
        EXPECT_TRUE(VarIsNull(f->GetAsVariant()));
    }
    EXPECT_EQ(F("Text")->GetDisplayWidth(), 5);
    EXPECT_EQ(F("Int")->GetDisplayWidth(), 11);
    F("Int")->SetDisplayLabel("Number");
    EXPECT_EQ(F("Int")->GetDisplayName(), "Number");
}

// Text in, then the value, the edit text and the display text out.
TEST_F(Fields, TextConversions) {
    struct Case {
        const char* field;
        std::string in;
        std::string text;
        std::string display;
    };
    std::vector<Case> cases = {
        {"Int", " 42 ", "42", "42"},
        {"Int", "-2147483648", "-2147483648", "-2147483648"},
        {"Small", "-32768", "-32768", "-32768"},
        {"Word", "65535", "65535", "65535"},
        {"Big", "9007199254740993", "9007199254740993", "9007199254740993"},
        {"Flag", "t", "True", "True"},
        {"Flag", "FALSE", "False", "False"},
        {"Real", "1.5", "1.5", "1.5"},
        {"Real", "1e20", "1E20", "1E20"},
        {"Money", "2.5", "2.50", "$2.50"},
        {"Dec", "12.3456", "12.3456", "12.3456"},
        {"Day", "3/4/2021", "3/4/2021", "3/4/2021"},
        {"Clock", "13:45:10", "1:45:10 PM", "1:45:10 PM"},
        {"Stamp", "3/4/2021 13:45:10", "3/4/2021 1:45:10 PM", "3/4/2021 1:45:10 PM"},
        {"Stamp", "3/4/2021", "3/4/2021", "3/4/2021"},
        {"Text", "abcdefg", "abcde", "abcde"},
        {"Text", "äöüßéx", "äöüßé", "äöüßé"},
        {"Wide", "wide text", "wide text", "wide text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.in);
        TField* f = F(c.field);
        f->SetText(c.in);
        EXPECT_FALSE(f->GetIsNull());
        EXPECT_EQ(f->GetText(), c.text);
        EXPECT_EQ(f->GetDisplayText(), c.display);
        // An empty text clears the non-text fields; for text fields it is a value.
        f->SetText("");
        bool text = f->GetDataType() == ftString || f->GetDataType() == ftWideString;
        EXPECT_EQ(f->GetIsNull(), !text);
        f->Clear();
        EXPECT_TRUE(f->GetIsNull());
    }
}

TEST_F(Fields, BadTextAndRangesRaiseTheFieldMessages) {
    struct Case {
        const char* field;
        std::string in;
        std::string message;
    };
    std::vector<Case> cases = {
        {"Int", "12x", "'12x' is not a valid integer value for field 'Int'"},
        {"Int", "2147483648",
         "2147483648 is not a valid value for field 'Int'. The allowed range is -2147483648 to 2147483647"},
        {"Small", "40000", "40000 is not a valid value for field 'Small'. The allowed range is -32768 to 32767"},
        {"Word", "-1", "-1 is not a valid value for field 'Word'. The allowed range is 0 to 65535"},
        {"Real", "1,5", "'1,5' is not a valid floating point value for field 'Real'"},
        {"Flag", "no", "'no' is not a valid boolean value for field 'Flag'"},
        {"Day", "13/45/2021", "'13/45/2021' is not a valid date"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(Error([&] { F(c.field)->SetText(c.in); }), c.message);
        EXPECT_TRUE(F(c.field)->GetIsNull());
    }
    auto* i = static_cast<TIntegerField*>(F("Int"));
    i->SetMinValue(1);
    i->SetMaxValue(10);
    EXPECT_EQ(Error([&] { i->SetAsInteger(11); }),
              "11 is not a valid value for field 'Int'. The allowed range is 1 to 10");
    auto* r = static_cast<TFloatField*>(F("Real"));
    r->SetMaxValue(2.5);
    EXPECT_EQ(Error([&] { r->SetAsFloat(3); }),
              "3 is not a valid value for field 'Real'. The allowed range is 0 to 2.5");
    EXPECT_EQ(Error([&] { F("Flag")->GetAsDateTime(); }), "Cannot access field 'Flag' as type DateTime");
    EXPECT_EQ(Error([&] { F("Day")->GetAsInteger(); }), "Cannot access field 'Day' as type Integer");
}

TEST_F(Fields, FormatsAndDisplayValues) {
    auto* i = static_cast<TIntegerField*>(F("Int"));
    i->SetDisplayFormat("#,##0");
    i->SetAsInteger(1234567);
    EXPECT_EQ(i->GetDisplayText(), "1,234,567");
    EXPECT_EQ(i->GetText(), "1,234,567");  // without an edit format the display format applies
    i->SetEditFormat("0000000000");
    EXPECT_EQ(i->GetText(), "0001234567");

    auto* r = static_cast<TFloatField*>(F("Real"));
    r->SetAsFloat(2.0 / 3.0);
    EXPECT_EQ(r->GetText(), "0.666666666666667");
    r->SetPrecision(4);
    EXPECT_EQ(r->GetDisplayText(), "0.6667");
    r->SetDisplayFormat("0.00");
    EXPECT_EQ(r->GetDisplayText(), "0.67");

    auto* b = static_cast<TBooleanField*>(F("Flag"));
    b->SetDisplayValues("Yes;No");
    b->SetText("n");
    EXPECT_FALSE(b->GetAsBoolean());
    EXPECT_EQ(b->GetDisplayText(), "No");
    b->SetText("Y");
    EXPECT_EQ(b->GetText(), "Yes");

    auto* d = static_cast<TDateTimeField*>(F("Stamp"));
    d->SetAsDateTime(EncodeDate(2021, 3, 4) + EncodeTime(5, 6, 7, 0));
    d->SetDisplayFormat("yyyy-mm-dd hh:nn");
    EXPECT_EQ(d->GetDisplayText(), "2021-03-04 05:06");
    EXPECT_EQ(d->GetText(), "3/4/2021 5:06:07 AM");
}

// The native forms stored by the dataset: a 32-bit day number (0001-01-01 is day 1), 32-bit
// milliseconds of the day, and a double of day number x 86,400,000 + milliseconds.
TEST_F(Fields, NativeDateFormsAndBcdRecord) {
    TDateTime base = EncodeDate(1899, 12, 30);
    F("Day")->SetAsDateTime(base + 0.75);  // the time part is dropped
    F("Clock")->SetAsDateTime(EncodeTime(13, 45, 10, 500));
    F("Stamp")->SetAsDateTime(EncodeDate(2000, 1, 1) + 0.5);
    Integer day = 0, ms = 0;
    double stamp = 0;
    ASSERT_TRUE(F("Day")->GetData(&day));
    ASSERT_TRUE(F("Clock")->GetData(&ms));
    ASSERT_TRUE(F("Stamp")->GetData(&stamp));
    EXPECT_EQ(day, 693594);
    EXPECT_EQ(ms, 49510500);
    EXPECT_EQ(stamp, 730120.0 * 86400000 + 43200000);
    EXPECT_EQ(F("Day")->GetAsDateTime(), base);
    EXPECT_EQ(F("Stamp")->GetAsDateTime(), EncodeDate(2000, 1, 1) + 0.5);

    // Writing the native form directly reads back through the conversion.
    Integer day2 = 738218;  // 2022-03-04
    F("Day")->SetData(&day2);
    EXPECT_EQ(F("Day")->GetAsDateTime(), EncodeDate(2022, 3, 4));

    F("Dec")->SetAsCurrency(-1234567);  // -123.4567
    TBcd bcd;
    ASSERT_TRUE(F("Dec")->GetData(&bcd));
    Currency back = 0;
    EXPECT_TRUE(BCDToCurr(bcd, back));
    EXPECT_EQ(back, -1234567);
    EXPECT_EQ(bcd.SignSpecialPlaces & 0x3F, 4);
    EXPECT_NE(bcd.SignSpecialPlaces & 0x80, 0);
    EXPECT_EQ(F("Dec")->GetAsString(), "-123.4567");
    EXPECT_EQ(F("Dec")->GetAsVariant().VarType(), varCurrency);
}

TEST(Bcd, CurrencyRoundTripsAndScaling) {
    struct Case {
        Currency value;
        Integer precision, decimals;
        Currency back;  // after rounding to the decimals
        bool ok;
    };
    std::vector<Case> cases = {
        {0, 32, 4, 0, true},
        {10000, 32, 4, 10000, true},
        {-15, 32, 4, -15, true},
        {12345, 32, 2, 12300, true},       // 1.2345 -> 1.23
        {12355, 32, 2, 12400, true},       // 1.2355 -> 1.24
        {-12355, 32, 2, -12400, true},     // halves away from zero
        {INT64_MAX, 32, 6, INT64_MAX, true},
        {1000000, 4, 2, 0, false},         // 100.00 needs five digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        TBcd bcd;
        ASSERT_EQ(CurrToBCD(c.value, bcd, c.precision, c.decimals), c.ok);
        if (!c.ok) continue;
        Currency back = -1;
        EXPECT_TRUE(BCDToCurr(bcd, back));
        EXPECT_EQ(back, c.back);
    }
}

TEST_F(Fields, EventsSeeAndShapeTheValue) {
    TField* t = F("Text");
    std::vector<std::string> seen;
    t->OnValidate = [&](TField* f) {
        seen.push_back(f->GetAsString());
        if (f->GetAsString() == "bad") throw EDatabaseError("rejected");
    };
    t->SetAsString("good");
    EXPECT_THROW(t->SetAsString("bad"), EDatabaseError);
    EXPECT_EQ(seen, (std::vector<std::string>{"good", "bad"}));
    EXPECT_EQ(t->GetAsString(), "good");

    t->OnGetText = [](TField* f, std::string& text, bool display) {
        text = (display ? "<" : "[") + f->GetAsString() + (display ? ">" : "]");
    };
    t->OnSetText = [](TField* f, const std::string& text) { f->SetAsString(text + "!"); };
    t->SetText("hi");
    EXPECT_EQ(t->GetAsString(), "hi!");
    EXPECT_EQ(t->GetText(), "[hi!]");
    EXPECT_EQ(t->GetDisplayText(), "<hi!>");

    int changes = 0;
    F("Int")->OnChange = [&](TField*) { ++changes; };
    F("Int")->SetAsInteger(1);
    F("Int")->Clear();
    EXPECT_EQ(changes, 2);
}

TEST_F(Fields, CrossTypeAccessors) {
    F("Text")->SetAsInteger(123);
    EXPECT_EQ(F("Text")->GetAsInteger(), 123);
    EXPECT_EQ(F("Text")->GetAsFloat(), 123.0);
    F("Text")->SetAsBoolean(true);
    EXPECT_EQ(F("Text")->GetAsString(), "T");
    EXPECT_TRUE(F("Text")->GetAsBoolean());
    F("Int")->SetAsFloat(2.5);  // halves to even
    EXPECT_EQ(F("Int")->GetAsInteger(), 2);
    F("Int")->SetAsVariant(Variant("17"));
    EXPECT_EQ(F("Int")->GetAsVariant().VarType(), varInteger);
    EXPECT_EQ(F("Int")->GetAsString(), "17");
    F("Int")->SetAsVariant(Variant::Null());
    EXPECT_TRUE(F("Int")->GetIsNull());
    F("Money")->SetAsCurrency(25000);
    EXPECT_DOUBLE_EQ(F("Money")->GetAsFloat(), 2.5);
    F("Stamp")->SetAsVariant(Variant::FromDateTime(44000.5));
    EXPECT_EQ(F("Stamp")->GetAsFloat(), 44000.5);
    EXPECT_EQ(F("Stamp")->GetAsVariant().VarType(), varDate);
    F("Big")->SetAsLargeInt(INT64_MIN);
    EXPECT_EQ(F("Big")->GetAsVariant().AsInt64(), INT64_MIN);
    EXPECT_TRUE(F("Real")->IsValidChar('e'));
    EXPECT_FALSE(F("Int")->IsValidChar('.'));
    EXPECT_TRUE(F("Text")->IsValidChar(U'ß'));
}

TEST(BlobFields, DisplayTextsValuesAndStreams) {
    auto* ds = new TVectorDataSet(nullptr);
    ds->GetFieldDefs()->Add("Blob", ftBlob);
    ds->GetFieldDefs()->Add("Memo", ftMemo);
    ds->GetFieldDefs()->Add("Pic", ftGraphic);
    ds->GetFieldDefs()->Add("Fmt", ftFmtMemo);
    ds->Open();
    ds->Append();
    struct Case {
        const char* field;
        const char* cls;
        std::string empty, full;
    };
    std::vector<Case> cases = {
        {"Blob", "TBlobField", "(blob)", "(BLOB)"},
        {"Memo", "TMemoField", "(memo)", "(MEMO)"},
        {"Pic", "TGraphicField", "(graphic)", "(GRAPHIC)"},
        {"Fmt", "TBlobField", "(fmtmemo)", "(FMTMEMO)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        TField* f = ds->FieldByName(c.field);
        EXPECT_EQ(f->ClassName(), c.cls);
        EXPECT_TRUE(f->IsBlob());
        EXPECT_EQ(f->GetDisplayText(), c.empty);
        f->SetAsString(std::string("a\0b", 3));
        EXPECT_EQ(f->GetDisplayText(), c.full);
        EXPECT_EQ(f->GetText(), c.full);
        EXPECT_EQ(f->GetAsString(), std::string("a\0b", 3));
        EXPECT_EQ(static_cast<TBlobField*>(f)->GetBlobSize(), 3);
    }
    EXPECT_EQ(ds->FieldByName("Fmt")->GetDataType(), ftFmtMemo);
    EXPECT_EQ(ds->FieldByName("Memo")->GetOffset(), 1);

    auto* memo = static_cast<TBlobField*>(ds->FieldByName("Memo"));
    auto* source = new TMemoryStream;
    source->WriteBuffer("streamed", 8);
    memo->LoadFromStream(source);
    EXPECT_EQ(memo->GetAsString(), "streamed");
    auto* target = new TMemoryStream;
    memo->SaveToStream(target);
    EXPECT_EQ(target->GetSize(), 8);
    source->Free();
    target->Free();
    TStringList lines;
    lines.Add("one");
    lines.Add("two");
    memo->Assign(&lines);
    EXPECT_EQ(memo->GetAsString(), "one\r\ntwo\r\n");
    ds->FieldByName("Blob")->Assign(memo);
    EXPECT_EQ(ds->FieldByName("Blob")->GetAsString(), "one\r\ntwo\r\n");
    memo->Clear();
    EXPECT_TRUE(memo->GetIsNull());
    ds->Post();

    // Cancelling an edit brings the stored value back; writing outside an edit is refused.
    ds->Edit();
    memo->SetAsString("temporary");
    EXPECT_TRUE(memo->GetModified());
    ds->Cancel();
    EXPECT_FALSE(memo->GetModified());
    EXPECT_TRUE(memo->GetIsNull());
    EXPECT_EQ(ds->FieldByName("Blob")->GetAsString(), "one\r\ntwo\r\n");
    try {
        memo->SetAsString("x");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "Dataset not in edit or insert mode");
    }
    ds->Free();
}

TEST(BlobFields, BitmapsGoInAndOutInTheirStreamForm) {
    auto* ds = new TVectorDataSet(nullptr);
    ds->GetFieldDefs()->Add("Pic", ftGraphic);
    ds->Open();
    ds->Append();
    TField* pic = ds->FieldByName("Pic");
    TBitmap bitmap;
    bitmap.SetWidth(3);
    bitmap.SetHeight(2);
    pic->Assign(&bitmap);
    EXPECT_EQ(pic->GetAsString().substr(0, 2), "BM");
    EXPECT_EQ(pic->GetDisplayText(), "(GRAPHIC)");

    TPicture picture;
    picture.Assign(pic);
    ASSERT_NE(picture.GetGraphic(), nullptr);
    EXPECT_EQ(picture.GetWidth(), 3);
    EXPECT_EQ(picture.GetHeight(), 2);

    TPicture empty;
    pic->Assign(&empty);
    EXPECT_TRUE(pic->GetIsNull());
    picture.Assign(pic);
    EXPECT_EQ(picture.GetGraphic(), nullptr);
    ds->Free();
}
