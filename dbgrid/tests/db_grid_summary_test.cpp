// Summaries: group row totals, summary groups and their items in group rows and row footers,
// footer totals, their texts, and their values against SQLite's GROUP BY on a 1,000-row table.

#include <cmath>
#include <cstdlib>
#include <map>

#include "dbgrid/db_grid_summary.h"
#include "dbgrid/tests/db_grid_fixture.h"
#include "framework/date_time.h"
#include "framework/formatting.h"

#if LUMORA_HAVE_SQLITE
#include <sqlite3.h>
#endif

namespace {

struct DbGridSummary : GridFixture {
    TgxDBGridColumn* size = nullptr;
    TgxDBGridColumn* path = nullptr;
    void SetUp() override {
        GridFixture::SetUp();
        size = AddColumn("FileSize");
        path = AddColumn("Path");
    }
    // Files of the given types and sizes (in folder "/f").
    void FillSized(const std::vector<std::pair<Integer, Integer>>& TypesAndSizes) {
        table.T->Open();
        int n = 0;
        for (const auto& [kind, bytes] : TypesAndSizes) {
            table.AddFile("f" + std::to_string(n++), "/f", kind);
            table.T->Edit();
            table.FileSize->SetAsInteger(bytes);
            table.T->Post();
        }
        table.T->First();
    }
    std::string Footer(TgxDBGridColumn* Column) {
        std::string text;
        grid->GetRowFooterCellText(nullptr, Column->GetIndex(), -1, text);
        return text;
    }
    std::string Row(Integer Index) { return grid->GetItem(Index)->GetString(0); }
};

}  // namespace

TEST(DbGridSummaryFormat, DefaultAndGivenFormats) {
    struct Case {
        TgxSummaryType Kind;
        const char* Format;
        bool Footer;
        long double Value;
        const char* Text;
    };
    const Case cases[] = {
        {cstNone, "", false, 5, ""},
        {cstCount, "", false, 12, "(COUNT=12)"},
        {cstCount, "", true, 7, "7"},
        {cstCount, "(# Files)", false, 12, "(12 Files)"},
        {cstSum, "", false, 2.5, "(SUM=2.50)"},
        {cstSum, "", true, 2.5, "2.50"},
        {cstMin, "", true, 1, "MIN=1.00"},
        {cstMax, "", false, 3, "(MAX=3.00)"},
        {cstAvg, "", true, 0, "AVG=0.00"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatSummary(c.Kind, c.Format, ftUnknown, c.Footer, c.Value), c.Text);

    const TDateTime day = EncodeDate(2024, 3, 5);
    EXPECT_EQ(FormatSummary(cstMin, "", ftDate, false, day), "(MIN=" + DateToStr(day) + ")");
    EXPECT_EQ(FormatSummary(cstMax, "", ftDate, true, day), "MAX=" + DateToStr(day));
    EXPECT_EQ(FormatSummary(cstMax, "Last ", ftDateTime, false, day), "Last " + DateTimeToStr(day));
    // A count of a date field is a number.
    EXPECT_EQ(FormatSummary(cstCount, "", ftDate, true, 3), "3");
}

TEST(DbGridSummaryGroups, NamesAndTheDefaultGroup) {
    TgxDBGridSummaryGroups groups;
    TgxDBGridSummaryGroup* a = groups.Add();
    TgxDBGridSummaryGroup* b = groups.Add();
    a->SetName("Sizes");
    EXPECT_EQ(ErrorOf([&] { b->SetName(""); }), "invalidate group name !");
    EXPECT_EQ(ErrorOf([&] { b->SetName("Sizes"); }), "invalidate group name duplicate!");
    EXPECT_EQ(b->GetName(), "");
    b->SetName("sizes");  // names compare with case
    EXPECT_EQ(b->GetName(), "sizes");

    EXPECT_EQ(groups.GetDefaultGroup(), nullptr);
    a->SetDefaultGroup(true);
    b->SetDefaultGroup(true);
    EXPECT_FALSE(a->GetDefaultGroup());
    EXPECT_EQ(groups.GetDefaultGroup(), b);

    // Assigning a group copies its items only.
    b->GetSummaryItems()->Add()->SetSummaryType(cstSum);
    a->Assign(b);
    EXPECT_EQ(a->GetSummaryItems()->GetCount(), 1);
    EXPECT_EQ(a->GetSummaryItems()->GetItem(0)->GetSummaryType(), cstSum);
    EXPECT_EQ(a->GetName(), "Sizes");
    EXPECT_FALSE(a->GetDefaultGroup());
}

TEST_F(DbGridSummary, GroupRowCountAndFooterCount) {
    std::vector<std::pair<Integer, Integer>> files(12, {1, 10});
    files.push_back({2, 5});
    FillSized(files);
    Bind();
    type->SetSummaryType(cstCount);
    type->SummaryFormat = "(# Files)";
    name->SummaryFooterType = cstCount;
    size->SummaryFooterType = cstSum;
    type->SetGroupIndex(0);
    EXPECT_EQ(Row(0), "LMFileType : 1 (12 Files) ");
    EXPECT_EQ(Row(1), "LMFileType : 2 (1 Files) ");
    EXPECT_EQ(Footer(name), "13");
    EXPECT_EQ(Footer(size), "125.00");
    EXPECT_EQ(Footer(type), "");
    EXPECT_TRUE(grid->IsExistFooterCell(name->GetIndex()));
    EXPECT_FALSE(grid->IsExistFooterCell(path->GetIndex()));

    // Without grouping the footer still counts.
    type->SetGroupIndex(-1);
    table.T->Last();
    table.T->Delete();
    for (int i = 0; i < 5; ++i) {
        table.T->First();
        table.T->Delete();
    }
    EXPECT_EQ(Footer(name), "7");
}

TEST_F(DbGridSummary, MissingFieldsGiveZeroAndEmptyAveragesStayZero) {
    FillSized({{1, 4}, {1, 6}, {2, 9}});
    Bind();
    type->SetSummaryType(cstSum);
    type->SummaryField = "NoSuchField";
    name->SummaryFooterType = cstCount;
    name->SummaryFooterField = "NoSuchField";
    size->SummaryFooterType = cstAvg;
    path->SummaryFooterType = cstMax;
    path->SummaryFooterField = "FileDate";
    type->SetGroupIndex(0);
    EXPECT_EQ(Row(0), "LMFileType : 1 (SUM=0.00) ");
    EXPECT_EQ(Footer(name), "3");  // a count still counts
    EXPECT_EQ(Footer(size), "AVG=" + FormatFloat("0.00", 19.0 / 3));
    // Null dates count as 0: the maximum is the date of day 0.
    EXPECT_EQ(Footer(path), "MAX=" + DateTimeToStr(0));

    table.T->Close();
    table.T->Open();
    grid->ReloadNodes();
    EXPECT_EQ(Footer(size), "AVG=0.00");
    EXPECT_EQ(Footer(name), "0");
}

TEST_F(DbGridSummary, MinimumOfADateInTheGroupRow) {
    FillSized({{1, 1}, {1, 2}, {2, 3}});
    const TDateTime days[] = {EncodeDate(2024, 5, 2), EncodeDate(2023, 1, 9), EncodeDate(2022, 7, 7)};
    table.T->First();
    for (TDateTime day : days) {
        table.T->Edit();
        table.FileDate->SetAsDateTime(day);
        table.T->Post();
        table.T->Next();
    }
    Bind();
    type->SetSummaryType(cstMin);
    type->SummaryField = "FileDate";
    type->SetGroupIndex(0);
    EXPECT_EQ(Row(0), "LMFileType : 1 (MIN=" + DateTimeToStr(days[1]) + ") ");
    EXPECT_EQ(Row(1), "LMFileType : 2 (MIN=" + DateTimeToStr(days[2]) + ") ");
}

TEST_F(DbGridSummary, ItemsInTheGroupRowAndTheRowFooter) {
    FillSized({{1, 4}, {1, 6}, {2, 9}});
    size->SetName("SizeColumn");
    TgxDBGridSummaryGroup* group = grid->GetSummaryGroups()->Add();
    group->SetName("Totals");
    group->BeginSummaryText = "[";
    group->EndSummaryText = "]";
    auto addItem = [&](TgxSummaryType Kind, const std::string& Field, const std::string& Column) {
        TgxDBGridSummaryItem* item = group->GetSummaryItems()->Add();
        item->SetSummaryType(Kind);
        item->SetSummaryField(Field);
        item->SetColumnName(Column);
    };
    addItem(cstCount, "", "");
    addItem(cstMax, "FileSize", "");
    addItem(cstSum, "", "SizeColumn");  // in the row footer under the size column
    type->SummaryGroupName = "TOTALS";
    grid->SetShowRowFooter(true);
    Bind();
    type->SetGroupIndex(0);
    // The last item stands in the row footer, so the last shown one keeps its separator.
    EXPECT_EQ(Row(0), "LMFileType : 1 [(COUNT=2), (MAX=6.00), ]");
    EXPECT_TRUE(grid->IsLevelFooter(0));
    EXPECT_FALSE(grid->IsLevelFooter(1));

    TgxTreeListNode* last = grid->GetItem(0)->GetItem(1);
    EXPECT_EQ(grid->GetRowFooterCount(last), 1);
    EXPECT_TRUE(grid->IsExistRowFooterCell(last, size->GetIndex(), 0));
    EXPECT_FALSE(grid->IsExistRowFooterCell(last, name->GetIndex(), 0));
    EXPECT_FALSE(grid->IsExistRowFooterCell(last, size->GetIndex(), 1));
    std::string text;
    grid->GetRowFooterCellText(last, size->GetIndex(), 0, text);
    EXPECT_EQ(text, "10.00");

    // The default group serves columns without a group name or summary type of their own.
    type->SummaryGroupName.clear();
    EXPECT_EQ(grid->FindSummaryGroup(type), nullptr);
    group->SetDefaultGroup(true);
    EXPECT_EQ(grid->FindSummaryGroup(type), group);
    type->SetSummaryType(cstCount);
    EXPECT_EQ(grid->FindSummaryGroup(type), nullptr);

    // Renaming the column renames the items that name it.
    grid->ColumnRenamed("sizecolumn", "Other");
    EXPECT_EQ(group->GetSummaryItems()->GetItem(2)->GetColumnName(), "Other");
}

TEST_F(DbGridSummary, SmartRefreshAndRegroupKeepTheTotals) {
    FillSized({{1, 4}, {1, 6}, {2, 9}});
    Options({egoSmartRefresh, egoSmartReload});
    Bind();
    type->SetSummaryType(cstSum);
    type->SummaryField = "FileSize";
    size->SummaryFooterType = cstAvg;
    type->SetGroupIndex(0);
    EXPECT_EQ(Row(0), "LMFileType : 1 (SUM=10.00) ");
    // An edited record moves its total.
    table.T->First();
    table.T->Edit();
    table.FileSize->SetAsInteger(40);
    table.T->Post();
    EXPECT_EQ(Row(0), "LMFileType : 1 (SUM=46.00) ");
    EXPECT_EQ(Footer(size), "AVG=" + FormatFloat("0.00", 55.0 / 3));
    // Regrouping in place recomputes the group rows and leaves the footer as it was.
    path->SetGroupIndex(0);
    EXPECT_EQ(grid->GetItem(0)->GetString(0), "Path : /f ");
    EXPECT_EQ(grid->GetItem(0)->GetItem(0)->GetString(0), "LMFileType : 1 (SUM=46.00) ");
    EXPECT_EQ(Footer(size), "AVG=" + FormatFloat("0.00", 55.0 / 3));
}

TEST_F(DbGridSummary, GroupsSortedBySummary) {
    // Types in order of appearance 3, 1, 2; counts 1:3, 2:1, 3:2; sizes summed 1:3, 2:10, 3:4.
    FillSized({{3, 2}, {1, 1}, {2, 10}, {1, 1}, {3, 2}, {1, 1}});
    Options({egoSmartRefresh});
    Bind();
    auto groups = [&] {
        std::string s;
        for (Integer i = 0; i < grid->GetCount(); ++i)
            s += (s.empty() ? "" : ",") + VarToStr(static_cast<TgxDBGridNode*>(grid->GetItem(i))->GroupValue);
        return s;
    };
    struct Case {
        TgxSummaryType Kind;
        bool BySummary;
        TgxTreeListColumnSort Sorted;
        const char* Groups;
    };
    const Case cases[] = {
        {cstCount, true, csUp, "2,3,1"},   {cstCount, true, csDown, "1,3,2"}, {cstSum, true, csUp, "1,3,2"},
        {cstSum, true, csDown, "2,3,1"},   {cstMax, true, csDown, "2,3,1"},   {cstSum, false, csDown, "3,2,1"},
        {cstNone, true, csUp, "1,2,3"},    // no summary: nothing to sort by
        {cstCount, true, csNone, "3,1,2"}, // unsorted: the groups stand as the records brought them
    };
    type->SummaryField = "FileSize";
    type->SetGroupIndex(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.Kind)) + " " + std::to_string(int(c.Sorted)));
        type->SetSummaryType(c.Kind);
        type->SetSortBySummary(c.BySummary);
        type->SetSorted(c.Sorted);
        grid->ReloadNodes();
        EXPECT_EQ(groups(), c.Groups);
        EXPECT_EQ(grid->GetRecordCount(), 6);
        // The header click's path sorts the level in place the same way.
        if (c.Sorted != csNone) {
            type->SetSorted(c.Sorted == csUp ? csDown : csUp);
            type->SetSorted(c.Sorted);
            EXPECT_EQ(groups(), c.Groups);
        }
    }

    // An edited record moves its group: type 2 shrinks to 0 bytes and type 4 is new.
    type->SetSummaryType(cstSum);
    type->SetSortBySummary(true);
    type->SetSorted(csUp);
    grid->ReloadNodes();
    ASSERT_TRUE(table.T->Locate("FileSize", Variant(10), {}));
    table.T->Edit();
    table.FileSize->SetAsInteger(0);
    table.T->Post();
    EXPECT_EQ(groups(), "2,1,3");
    table.T->First();
    table.T->Edit();
    table.LMFileType->SetAsInteger(4);
    table.FileSize->SetAsInteger(5);
    table.T->Post();
    EXPECT_EQ(Tree(), "2(f2),3(f4),1(f1,f3,f5),4(f0)");
}

#if LUMORA_HAVE_SQLITE

namespace {

// The rows of a query, each a list of texts (NULL as "").
std::vector<std::vector<std::string>> Query(sqlite3* Db, const std::string& Sql) {
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(Db, Sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto* text = sqlite3_column_text(stmt, i);
            row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    return rows;
}

}  // namespace

// The same 1,000 files in the memory table and in SQLite: the group values in their order (both
// directions, two levels) and every kind of group and footer total equal GROUP BY ... ORDER BY.
TEST_F(DbGridSummary, TotalsEqualSqliteGroupBy) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE f(type INTEGER, path TEXT, size INTEGER)", nullptr, nullptr, nullptr);
    table.T->Open();
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (int i = 0; i < 1000; ++i) {
        const Integer kind = Integer(next() % 7);
        const std::string folder = "/d" + std::to_string(next() % 5);
        const Integer bytes = Integer(next() % 100000) - 2000;
        table.AddFile("f" + std::to_string(i), folder, kind);
        table.T->Edit();
        table.FileSize->SetAsInteger(bytes);
        table.T->Post();
        sqlite3_exec(
            db,
            ("INSERT INTO f VALUES(" + std::to_string(kind) + ",'" + folder + "'," + std::to_string(bytes) + ")")
                .c_str(),
            nullptr, nullptr, nullptr);
    }
    table.T->First();

    // Five items on FileSize in the group rows, five footer columns.
    const TgxSummaryType kinds[] = {cstCount, cstSum, cstMin, cstMax, cstAvg};
    TgxDBGridSummaryGroup* group = grid->GetSummaryGroups()->Add();
    group->SetName("All");
    for (TgxSummaryType kind : kinds) {
        TgxDBGridSummaryItem* item = group->GetSummaryItems()->Add();
        item->SetSummaryType(kind);
        item->SetSummaryField("FileSize");
        item->SetSummaryFormat("0.######");
    }
    std::vector<TgxDBGridColumn*> footers;
    for (TgxSummaryType kind : kinds) {
        footers.push_back(AddColumn("FileSize"));
        footers.back()->SummaryFooterType = kind;
        footers.back()->SummaryFooterFormat = "0.######";
    }
    type->SummaryGroupName = "All";
    path->SummaryGroupName = "All";
    Bind();

    const std::string totals = "COUNT(*), SUM(size), MIN(size), MAX(size), AVG(size)";
    // A node's totals as SQLite prints them.
    auto nodeRow = [&](TgxTreeListNode* Node) {
        std::vector<std::string> row{VarToStr(static_cast<TgxDBGridNode*>(Node)->GroupValue)};
        for (const auto& entry : static_cast<TgxDBGridNode*>(Node)->ItemSummaries)
            row.push_back(FormatFloat("0.######", static_cast<Extended>(entry.Value)));
        return row;
    };
    auto sqlRow = [](std::vector<std::string> Row) {
        // SQLite prints the average with more digits; the grid's format keeps six.
        Row.back() = FormatFloat("0.######", std::strtod(Row.back().c_str(), nullptr));
        return Row;
    };
    auto check = [&](const std::string& Order) {
        SCOPED_TRACE(Order);
        const auto expected = Query(db, "SELECT type, " + totals + " FROM f GROUP BY type ORDER BY type " + Order);
        ASSERT_EQ(grid->GetCount(), Integer(expected.size()));
        for (Integer i = 0; i < grid->GetCount(); ++i)
            EXPECT_EQ(nodeRow(grid->GetItem(i)), sqlRow(expected[size_t(i)]));
        const auto all = sqlRow(Query(db, "SELECT 'all', " + totals + " FROM f")[0]);
        for (size_t k = 0; k < footers.size(); ++k) EXPECT_EQ(Footer(footers[k]), all[k + 1]);
    };
    type->SetGroupIndex(0);
    check("");
    type->SetSorted(csDown);
    grid->ReloadNodes();
    check("DESC");

    // Two levels.
    type->SetSorted(csUp);
    path->SetGroupIndex(1);
    const auto expected = Query(db, "SELECT type, path, " + totals + " FROM f GROUP BY type, path ORDER BY type, path");
    std::vector<std::vector<std::string>> actual;
    for (Integer i = 0; i < grid->GetCount(); ++i)
        for (Integer j = 0; j < grid->GetItem(i)->GetCount(); ++j) {
            auto row = nodeRow(grid->GetItem(i)->GetItem(j));
            row.insert(row.begin(), VarToStr(static_cast<TgxDBGridNode*>(grid->GetItem(i))->GroupValue));
            actual.push_back(row);
        }
    std::vector<std::vector<std::string>> wanted;
    for (const auto& row : expected) wanted.push_back(sqlRow(row));
    EXPECT_EQ(actual, wanted);
    sqlite3_close(db);
}

#else

TEST_F(DbGridSummary, TotalsEqualSqliteGroupBy) {
    GTEST_SKIP() << "SQLite's development files are not installed";
}

#endif
