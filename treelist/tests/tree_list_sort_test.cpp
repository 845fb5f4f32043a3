// Sorting the nodes in place: the value order, several sorted columns, descending order and nulls,
// the locale order, the user's comparison (also an inconsistent or failing one), the levels, and
// the header clicks that change a column's sort.

#include <algorithm>
#include <climits>
#include <functional>
#include <random>
#include <set>

#include "framework/forms.h"
#include "framework/resources.h"
#include "framework/sysutils.h"
#include "tree_list_fixture.h"

namespace {

// Sort values per node and column, as the plain tree list and the data-aware grid give them.
class TSortTreeList : public TTestTreeListControl {
    LUMORA_CLASS(TSortTreeList, TTestTreeListControl)
public:
    using TTestTreeListControl::TTestTreeListControl;
    std::map<const TgxTreeListNode*, std::vector<Variant>> Values;
    std::map<std::pair<const TgxTreeListNode*, Integer>, int> Reads;
    Variant GetNodeSortValue(TgxTreeListNode* Node, Integer Column) override {
        ++Reads[{Node, Column}];
        auto it = Values.find(Node);
        if (it == Values.end() || Column >= Integer(it->second.size())) return Variant(std::string());
        return it->second[size_t(Column)];
    }
    using TTestTreeListControl::ClickColumn;
    using TTestTreeListControl::IsClearSortClick;
    using TTestTreeListControl::IsMultiSortClick;

    // Roots named by their values' order in Rows, each with its values.
    void AddRoots(const std::vector<std::pair<std::string, std::vector<Variant>>>& Rows) {
        for (const auto& [name, values] : Rows) {
            TgxTreeListNode* node = Add();
            Names[node] = name;
            Values[node] = values;
        }
    }
};

struct SortFixture : testing::Test {
    Owned<TComponent> form{new TComponent(nullptr)};
    TSortTreeList* list = new TSortTreeList(form.get());
    void SetUp() override { SetCollationLocale("C"); }
    void TearDown() override { SetCollationLocale(""); }

    TgxTreeListColumn* AddColumn() {
        auto* column = new TgxTreeListColumn(form.get());
        column->SetTreeList(list);
        return column;
    }
    void SetOptionsEx(std::initializer_list<TgxTreeListOptionEx> Options) {
        TgxTreeListOptionsEx options = list->GetOptionsEx();
        for (TgxTreeListOptionEx option : Options) options.Include(option);
        list->SetOptionsEx(options);
    }
};

using Values = std::vector<Variant>;

}  // namespace

// ---- values ----------------------------------------------------------------------------------

TEST_F(SortFixture, ValuesSortInTheVariantOrder) {
    list->AddRoots({{"ten", {Variant("10")}},
                    {"three", {Variant(Integer(3))}},
                    {"null", {Null()}},
                    {"half", {Variant(2.5)}},
                    {"date", {Variant::FromDateTime(4.0)}},
                    {"cash", {Variant::FromCurrency(Currency(35000))}}});  // 3.5
    list->SortNodes(-1, 0, false);
    EXPECT_EQ(list->Dump(), "null,half,three,cash,date,ten");
    list->SortNodes(-1, 0, true);
    EXPECT_EQ(list->Dump(), "ten,date,cash,three,half,null");  // descending: nulls last
}

TEST_F(SortFixture, AFailingValueComparisonLeavesEveryListAsItWas) {
    list->AddRoots({{"b", {Variant("b")}}, {"a", {Variant("a")}}});
    TgxTreeListNode* b = list->GetItem(0);
    for (const char* name : {"y", "x", "z"}) {
        TgxTreeListNode* child = b->AddChild();
        list->Names[child] = name;
        list->Values[child] = {Variant(std::string(name))};
    }
    TgxTreeListNode* a = list->GetItem(1);
    for (Variant value : {Variant(Integer(1)), Variant("one")}) {  // a text that is no number
        TgxTreeListNode* child = a->AddChild();
        list->Names[child] = value.AsString();
        list->Values[child] = {value};
    }
    const std::string before = list->Dump();
    EXPECT_THROW(list->SortNodes(-1, 0, false), EVariantTypeCastError);
    EXPECT_EQ(list->Dump(), before);  // also the lists that sorted before the failure

    list->Values[a->GetItem(1)] = {Variant()};  // unassigned
    EXPECT_THROW(list->SortNodes(1, 0, false), EVariantInvalidOpError);
    EXPECT_EQ(list->Dump(), before);
}

TEST_F(SortFixture, EqualValuesKeepTheNodeOrderInBothDirections) {
    list->AddRoots(
        {{"p", {Variant("same")}}, {"q", {Variant("same")}}, {"r", {Variant("same")}}, {"s", {Variant("")}}});
    std::vector<TgxTreeListNode*> byAddress;
    for (Integer i = 0; i < 3; ++i) byAddress.push_back(list->GetItem(i));
    std::sort(byAddress.begin(), byAddress.end(), std::less<TgxTreeListNode*>());
    std::string expected;
    for (TgxTreeListNode* node : byAddress) expected += list->Name(node) + ",";
    list->SortNodes(-1, 0, false);
    EXPECT_EQ(list->Dump(), "s," + expected.substr(0, expected.size() - 1));
    list->SortNodes(-1, 0, true);
    EXPECT_EQ(list->Dump(), expected + "s");
}

TEST_F(SortFixture, ShortListsAreNotTouched) {
    list->SortNodes(-1, 0, false);  // no nodes
    list->AddRoots({{"only", {Variant(Integer(1))}}});
    TgxTreeListNode* child = list->GetItem(0)->AddChild();
    list->Names[child] = "child";
    list->Values[child] = {Variant()};  // never compared
    list->SortNodes(-1, 0, false);
    EXPECT_EQ(list->Dump(), "only[child]");
}

// Lists whose values are all strings, all integers (of any width) or of several kinds, with nulls:
// the order is the Variant order with the node addresses breaking ties (ascending in both
// directions), for a first and for a second sorted column; each value is read once.
TEST_F(SortFixture, EveryKindOfListSortsInTheVariantOrder) {
    const std::string nul(1, '\0');
    const std::vector<std::vector<Variant>> lists = {
        {Null(), Variant(""), Variant(nul), Variant("a"), Variant("a" + nul), Variant("a" + nul + "b"), Variant("\xFF"),
         Variant("abcdefgh"), Variant("abcdefgh" + nul), Variant("abcdefghi"), Variant("abcdefghij"),
         Variant("abcdefgh\xFFz"), Variant("abcdefgi"), Variant("abcdefghij"), Null(), Variant("B"), Null()},
        {Variant(Int64(INT64_MIN)), Variant(Int64(INT64_MAX)), Variant(Integer(-1)), Variant(Byte(0)), Null(),
         Variant(Word(65535)), Variant(LongWord(4294967295u)), Variant(SmallInt(-32768)), Variant(Integer(0)),
         Variant(ShortInt(-1)), Null(), Variant(Integer(7))},
        // A string, then numbers of other kinds: compared as numbers.
        {Variant("10"), Variant(Integer(9)), Variant(2.5), Null(), Variant(Byte(3)), Variant(Int64(1) << 40),
         Variant::FromCurrency(Currency(1234567))},
        {Null(), Null(), Null()},
    };
    TgxTreeListColumn* first = AddColumn();
    TgxTreeListColumn* second = AddColumn();
    for (size_t l = 0; l < lists.size(); ++l)
        for (const bool descending : {false, true})
            for (const bool asSecond : {false, true}) {
                SCOPED_TRACE(testing::Message() << "list " << l << (descending ? " descending" : "")
                                                << (asSecond ? " as the second column" : ""));
                list->ClearNodes();
                list->Values.clear();
                list->Reads.clear();
                std::vector<TgxTreeListNode*> nodes;
                for (const Variant& value : lists[l]) {
                    nodes.push_back(list->Add());
                    // As the second column, the first holds one value for all.
                    list->Values[nodes.back()] = asSecond ? Values{Variant("same"), value} : Values{value};
                }
                TgxTreeListOptionsEx options = list->GetOptionsEx();
                if (asSecond)
                    options.Include(aoMultiSort);
                else
                    options.Exclude(aoMultiSort);
                list->SetOptionsEx(options);
                first->SetSorted(csNone);
                second->SetSorted(csNone);
                if (asSecond) {
                    first->SetSorted(csUp);
                    second->SetSorted(descending ? csDown : csUp);
                    ASSERT_EQ(list->GetSortedColumnCount(), 2);
                }
                const Integer column = asSecond ? 1 : 0;
                list->Reads.clear();
                list->SortNodes(-1, 0, descending);

                std::vector<TgxTreeListNode*> expected = nodes;
                std::sort(expected.begin(), expected.end(), [&](TgxTreeListNode* A, TgxTreeListNode* B) {
                    const int c = VariantCompare(list->Values[A][size_t(column)], list->Values[B][size_t(column)]);
                    if (c != 0) return descending ? c > 0 : c < 0;
                    return std::less<TgxTreeListNode*>()(A, B);  // ties by address in both directions
                });
                std::vector<TgxTreeListNode*> actual(list->GetCount());
                for (Integer i = 0; i < list->GetCount(); ++i) actual[size_t(i)] = list->GetItem(i);
                EXPECT_EQ(actual, expected);
                for (TgxTreeListNode* node : nodes)
                    for (Integer c = 0; c <= column; ++c) EXPECT_EQ((list->Reads[{node, c}]), 1);
            }
}

// Long lists whose values repeat, in one to three sorted columns and any directions: strings that
// share their first eight bytes, integers of every width, values of several kinds, two values
// only, and strings in the locale order. The order is each column's order in its direction, the
// next column deciding between equal values and the node addresses between equal rows; each value
// is read once.
TEST_F(SortFixture, LongListsSortColumnByColumn) {
    std::mt19937 random(20261210);
    auto pick = [&](size_t Count) { return size_t(random() % Count); };
    const std::vector<std::function<Variant()>> kinds = {
        // 0: strings, many of them alike in their first eight bytes
        [&] {
            static const char* const starts[] = {"", "a", "abcdefgh", "abcdefghij", "abcdefgi", "b"};
            std::string text = starts[pick(6)];
            for (size_t n = pick(3); n > 0; --n) text += char('x' + pick(2));
            return pick(12) == 0 ? Null() : Variant(text);
        },
        // 1: integers
        [&] {
            switch (pick(6)) {
                case 0: return Null();
                case 1: return Variant(Int64(pick(2) ? INT64_MIN : INT64_MAX));
                case 2: return Variant(Byte(pick(3)));
                case 3: return Variant(ShortInt(int(pick(5)) - 2));
                default: return Variant(Integer(int(pick(7)) - 3));
            }
        },
        // 2: several kinds, compared as numbers
        [&] {
            switch (pick(4)) {
                case 0: return Variant(std::to_string(pick(4)));
                case 1: return Variant(0.5 * double(pick(8)));
                case 2: return Null();
                default: return Variant(Integer(pick(4)));
            }
        },
        // 3: two values
        [&] { return Variant(pick(2) ? "yes" : "no"); },
    };
    struct LongCase {
        std::vector<int> kinds;
        std::vector<bool> descending;
        bool ansi;
    };
    const std::vector<LongCase> cases = {
        {{0}, {false}, false},
        {{0}, {true}, false},
        {{1}, {false}, false},
        {{1}, {true}, false},
        {{2}, {true}, false},
        {{3, 0}, {false, true}, false},
        {{0, 1}, {true, false}, false},
        {{3, 1, 0}, {false, true, false}, false},
        {{2, 3, 1}, {true, false, true}, false},
        {{0}, {false}, true},
        {{3, 0}, {true, false}, true},
    };
    std::vector<TgxTreeListColumn*> columns;
    for (int i = 0; i < 3; ++i) columns.push_back(AddColumn());
    for (size_t n = 0; n < cases.size(); ++n) {
        const LongCase& c = cases[n];
        SCOPED_TRACE(n);
        TgxTreeListOptionsEx options = list->GetOptionsEx();
        options.Exclude(aoMultiSort);
        options.Exclude(aoAnsiSort);
        if (c.kinds.size() > 1) options.Include(aoMultiSort);
        if (c.ansi) options.Include(aoAnsiSort);
        list->SetOptionsEx(options);
        for (TgxTreeListColumn* column : columns) column->SetSorted(csNone);
        if (c.kinds.size() > 1)
            for (size_t k = 0; k < c.kinds.size(); ++k) columns[k]->SetSorted(c.descending[k] ? csDown : csUp);
        list->ClearNodes();
        list->Values.clear();
        std::vector<TgxTreeListNode*> nodes;
        for (int i = 0; i < 300; ++i) {
            nodes.push_back(list->Add());
            Values values;
            for (int kind : c.kinds) values.push_back(kinds[size_t(kind)]());
            list->Values[nodes.back()] = values;
        }
        list->Reads.clear();
        list->SortNodes(-1, 0, c.descending[0]);

        auto compare = [&](const Variant& A, const Variant& B) {
            if (!c.ansi || A.IsNull() || B.IsNull()) return VariantCompare(A, B);
            return VariantCompare(A, B) == 0 ? 0 : AnsiCompareStr(A.AsString(), B.AsString());
        };
        std::vector<TgxTreeListNode*> expected = nodes;
        std::sort(expected.begin(), expected.end(), [&](TgxTreeListNode* A, TgxTreeListNode* B) {
            for (size_t k = 0; k < c.kinds.size(); ++k)
                if (const int result = compare(list->Values[A][k], list->Values[B][k]))
                    return c.descending[k] ? result > 0 : result < 0;
            return std::less<TgxTreeListNode*>()(A, B);
        });
        std::vector<TgxTreeListNode*> actual(list->GetCount());
        for (Integer i = 0; i < list->GetCount(); ++i) actual[size_t(i)] = list->GetItem(i);
        EXPECT_EQ(actual, expected);
        for (TgxTreeListNode* node : nodes)
            for (Integer k = 0; k < Integer(c.kinds.size()); ++k) EXPECT_EQ((list->Reads[{node, k}]), 1);
    }
}

// Long lists whose values use every value of every byte of their keys (integers over all 64 bits)
// or only a few (digit strings, many alike in their first eight bytes), in both directions.
TEST_F(SortFixture, KeysOfManyOrFewByteValuesSortInTheirOrder) {
    std::mt19937_64 random(20261211);
    const std::vector<std::function<Variant()>> kinds = {
        [&] { return Variant(Int64(random() % 64 == 0 ? 7 : random())); },
        [&] { return Variant("x" + std::to_string(1000 + random() % 9000) + "000" + std::to_string(random() % 10)); },
    };
    AddColumn();
    for (size_t kind = 0; kind < kinds.size(); ++kind)
        for (bool descending : {false, true}) {
            SCOPED_TRACE(testing::Message() << kind << (descending ? " down" : " up"));
            list->ClearNodes();
            list->Values.clear();
            std::vector<TgxTreeListNode*> nodes;
            for (int i = 0; i < 5000; ++i) {
                nodes.push_back(list->Add());
                list->Values[nodes.back()] = {kinds[kind]()};
            }
            list->SortNodes(-1, 0, descending);
            std::vector<TgxTreeListNode*> expected = nodes;
            std::sort(expected.begin(), expected.end(), [&](TgxTreeListNode* A, TgxTreeListNode* B) {
                if (const int c = VariantCompare(list->Values[A][0], list->Values[B][0]))
                    return descending ? c > 0 : c < 0;
                return std::less<TgxTreeListNode*>()(A, B);
            });
            std::vector<TgxTreeListNode*> actual(list->GetCount());
            for (Integer i = 0; i < list->GetCount(); ++i) actual[size_t(i)] = list->GetItem(i);
            EXPECT_EQ(actual, expected);
        }
}

// A tree large enough to be sorted in mapped working memory: the order, with ties by address in
// both directions, and the rows as the control shows them afterwards, for top-level nodes only and
// with parents (one expanded) whose children follow them.
TEST_F(SortFixture, ALargeTreeSortsAndShowsItsRowsInTheNewOrder) {
    AddColumn();
    std::mt19937 random(11);
    std::vector<TgxTreeListNode*> roots;
    list->BeginUpdate();
    for (int i = 0; i < 20000; ++i) {
        roots.push_back(list->Add());
        list->Values[roots.back()] = {Variant(std::to_string(random() % 3000))};
    }
    list->EndUpdate();
    auto expectRoots = [&](bool Descending) {
        std::vector<TgxTreeListNode*> expected = roots;
        std::sort(expected.begin(), expected.end(), [&](TgxTreeListNode* A, TgxTreeListNode* B) {
            if (const int c = VariantCompare(list->Values[A][0], list->Values[B][0])) return Descending ? c > 0 : c < 0;
            return std::less<TgxTreeListNode*>()(A, B);
        });
        std::vector<TgxTreeListNode*> actual(list->GetCount());
        for (Integer i = 0; i < list->GetCount(); ++i) actual[size_t(i)] = list->GetItem(i);
        EXPECT_EQ(actual, expected);
    };
    auto expectRows = [&] {
        std::vector<TgxTreeListNode*> rows;
        for (Integer i = 0; i < list->GetCount(); ++i) {
            TgxTreeListNode* root = list->GetItem(i);
            rows.push_back(root);
            if (root->GetExpanded())
                for (Integer c = 0; c < root->GetCount(); ++c) rows.push_back(root->GetItem(c));
        }
        ASSERT_EQ(list->GetAbsoluteCount(), Integer(rows.size()));
        for (size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(list->GetAbsoluteNode(Integer(i)), rows[i]) << i;
            ASSERT_EQ(list->GetAbsoluteIndex(rows[i]), Integer(i)) << i;
        }
    };
    list->SortNodes(-1, 0, false);
    expectRoots(false);
    expectRows();

    for (int parent : {3, 17}) {
        for (int c = 0; c < 3; ++c) list->Values[roots[size_t(parent)]->AddChild()] = {Variant(std::to_string(c))};
        roots[size_t(parent)]->SetExpanded(parent == 3);
    }
    list->SortNodes(-1, 0, true);
    expectRoots(true);
    EXPECT_EQ(list->Values[roots[3]->GetItem(0)][0], Variant("2"));
    expectRows();
}

// ---- several columns -------------------------------------------------------------------------

TEST_F(SortFixture, TiesInTheFirstSortedColumnGoByTheSecondInItsOwnDirection) {
    TgxTreeListColumn* kind = AddColumn();
    TgxTreeListColumn* size = AddColumn();
    SetOptionsEx({aoMultiSort});
    kind->SetSorted(csUp);
    size->SetSorted(csDown);
    list->AddRoots({{"img1", {Variant("img"), Variant(Integer(1))}},
                    {"doc5", {Variant("doc"), Variant(Integer(5))}},
                    {"img9", {Variant("img"), Variant(Integer(9))}},
                    {"doc2", {Variant("doc"), Variant(Integer(2))}}});
    // The sorted columns decide, whatever column and direction are asked for.
    list->SortNodes(-1, 1, false);
    EXPECT_EQ(list->Dump(), "doc5,doc2,img9,img1");

    // Without multi-sorting, or with one sorted column, the arguments decide.
    TgxTreeListOptionsEx options = list->GetOptionsEx();
    options.Exclude(aoMultiSort);
    list->SetOptionsEx(options);
    kind->SetSorted(csUp);
    size->SetSorted(csUp);
    list->SortNodes(-1, 1, false);
    EXPECT_EQ(list->Dump(), "img1,doc2,doc5,img9");
}

// ---- locale order ----------------------------------------------------------------------------

TEST_F(SortFixture, LocaleOrderPutsNullsFirstWherever) {
    const std::vector<std::pair<std::string, Values>> rows = {
        {"b", {Variant("b")}}, {"n1", {Null()}}, {"a", {Variant("a")}}, {"n2", {Null()}}, {"B", {Variant("B")}}};
    // The ordinal order puts capitals first.
    list->AddRoots(rows);
    list->SortNodes(-1, 0, false);
    std::string dump = list->Dump();
    EXPECT_EQ(dump.substr(dump.size() - 5), "B,a,b");

    SetOptionsEx({aoAnsiSort});
    std::vector<size_t> order{0, 1, 2, 3, 4};
    do {
        list->ClearNodes();
        std::vector<std::pair<std::string, Values>> shuffled;
        for (size_t i : order) shuffled.push_back(rows[i]);
        list->AddRoots(shuffled);
        list->SortNodes(-1, 0, false);
        dump = list->Dump();
        EXPECT_EQ(dump.substr(0, 6), dump[1] == '1' ? "n1,n2," : "n2,n1,");
        EXPECT_EQ(dump.substr(6), "a,b,B");
        list->SortNodes(-1, 0, true);
        dump = list->Dump();
        EXPECT_EQ(dump.substr(0, 6), "B,b,a,");
    } while (std::next_permutation(order.begin(), order.end()));
}

// ---- the user's comparison -------------------------------------------------------------------

TEST_F(SortFixture, OnCompareReplacesTheValuesAndIsNegatedForDescending) {
    list->AddRoots({{"c", {}}, {"a", {}}, {"b", {}}});
    std::set<std::pair<std::string, std::string>> pairs;
    list->OnCompare = [&](TObject* Sender, TgxTreeListNode* Node1, TgxTreeListNode* Node2, Integer& Compare) {
        EXPECT_EQ(Sender, list);
        EXPECT_EQ(Compare, 0);
        pairs.emplace(list->Name(Node1), list->Name(Node2));
        Compare = CompareStr(list->Name(Node1), list->Name(Node2)) * 1000;
    };
    list->SortNodes(-1, 0, false);
    EXPECT_EQ(list->Dump(), "a,b,c");
    EXPECT_FALSE(pairs.empty());
    list->SortNodes(-1, 0, true);
    EXPECT_EQ(list->Dump(), "c,b,a");
}

TEST_F(SortFixture, AFailingOnCompareLeavesTheOrderAndTheCursor) {
    SetOptionsEx({aoShowHourGlass});
    list->AddRoots({{"c", {}}, {"a", {}}, {"b", {}}});
    TCursor during = crDefault;
    int calls = 0;
    list->OnCompare = [&](TObject*, TgxTreeListNode*, TgxTreeListNode*, Integer&) {
        during = Screen->GetCursor();
        if (++calls == 2) throw Exception("stop");
    };
    const TCursor before = Screen->GetCursor();
    EXPECT_THROW(list->SortNodes(-1, 0, false), Exception);
    EXPECT_EQ(during, crHourGlass);
    EXPECT_EQ(Screen->GetCursor(), before);
    EXPECT_EQ(list->Dump(), "c,a,b");
}

TEST_F(SortFixture, AnInconsistentOnCompareNeverLosesANode) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        list->ClearNodes();
        const int roots = int(random() % 40);
        for (int i = 0; i < roots; ++i) {
            TgxTreeListNode* root = list->Add();
            for (int j = int(random() % 30) - 20; j > 0; --j) root->AddChild();
            if (random() % 3 == 0) root->SetExpanded(true);
        }
        std::multiset<TgxTreeListNode*> before;
        std::vector<TgxTreeListNode*> beforeOrder;
        for (TgxTreeListNode* n = list->GetFirstNode(); n; n = n->GetNext()) {
            before.insert(n);
            beforeOrder.push_back(n);
        }
        const unsigned mode = random() % 4;
        const unsigned failAt = mode == 3 ? 1 + random() % 50 : 0;
        unsigned calls = 0;
        list->OnCompare = [&](TObject*, TgxTreeListNode*, TgxTreeListNode*, Integer& Compare) {
            if (failAt && ++calls == failAt) throw Exception("stop");
            switch (mode) {
                case 0: Compare = -1; break;                       // everything is less
                case 1: Compare = Integer(random() % 3) - 1; break;  // coin tosses
                default: Compare = Integer(random()); break;         // any number
            }
        };
        const Integer level = Integer(random() % 3) - 1;
        bool failed = false;
        try {
            list->SortNodes(level, 0, random() % 2 == 0);
        } catch (const Exception&) {
            failed = true;
        }
        std::multiset<TgxTreeListNode*> after;
        std::vector<TgxTreeListNode*> afterOrder;
        for (TgxTreeListNode* n = list->GetFirstNode(); n; n = n->GetNext()) {
            after.insert(n);
            afterOrder.push_back(n);
            for (Integer i = 0; i < n->GetCount(); ++i) ASSERT_EQ(n->GetItem(i)->GetParent(), n);
        }
        ASSERT_EQ(after, before);
        if (failed) {
            EXPECT_EQ(afterOrder, beforeOrder);
        }
        for (Integer i = 0; i < list->GetAbsoluteCount(); ++i)
            ASSERT_EQ(list->GetAbsoluteIndex(list->GetAbsoluteNode(i)), i);
    }
}

// ---- levels ----------------------------------------------------------------------------------

TEST_F(SortFixture, LevelsChooseTheListsThatAreSorted) {
    struct LevelCase {
        Integer level;
        const char* result;
    };
    for (const LevelCase& c : {LevelCase{-1, "A(A1(A1a,A1b),A2),B(B1,B2)"}, LevelCase{0, "A(A2,A1(A1b,A1a)),B(B2,B1)"},
                               LevelCase{1, "B(B1,B2),A(A1(A1b,A1a),A2)"}, LevelCase{2, "B(B2,B1),A(A2,A1(A1a,A1b))"},
                               LevelCase{3, "B(B2,B1),A(A2,A1(A1b,A1a))"}}) {
        SCOPED_TRACE(c.level);
        list->ClearNodes();
        list->Names.clear();
        list->Values.clear();
        list->Build("B(B2,B1),A(A2,A1(A1b,A1a))");
        for (auto& [node, name] : list->Names) list->Values[node] = {Variant(name)};
        list->SortNodes(c.level, 0, false);
        EXPECT_EQ(list->Dump(), c.result);
        EXPECT_EQ(list->GetAbsoluteNode(1), list->GetItem(0)->GetItem(0));  // the display follows
    }
}

// ---- header clicks ---------------------------------------------------------------------------

TEST_F(SortFixture, HeaderClicksToggleTheSort) {
    struct ClickCase {
        TgxTreeListColumnSort from;
        TShiftState shift;
        bool allow;
        TgxTreeListColumnSort to;
    };
    TgxTreeListColumn* column = AddColumn();
    TgxTreeListOptions options = list->GetOptions();
    options.Include(aoAutoSort);
    list->SetOptions(options);
    bool allow = true;
    int clicks = 0;
    list->OnColumnClick = [&](TObject*, TgxTreeListColumn* Column) {
        EXPECT_EQ(Column, column);
        ++clicks;
    };
    list->OnColumnSorting = [&](TObject*, TgxTreeListColumn*, bool& Allow) { Allow = allow; };
    int n = 0;
    for (const ClickCase& c :
         {ClickCase{csNone, {}, true, csUp}, ClickCase{csUp, {}, true, csDown}, ClickCase{csDown, {}, true, csUp},
          ClickCase{csUp, {ssCtrl}, true, csNone}, ClickCase{csDown, {ssCtrl, ssShift}, true, csNone},
          ClickCase{csNone, {ssShift}, true, csUp}, ClickCase{csUp, {}, false, csUp}}) {
        SCOPED_TRACE(n++);
        column->SetSorted(c.from);
        allow = c.allow;
        const int before = clicks;
        list->ClickColumn(0, c.shift);
        EXPECT_EQ(clicks, before + 1);
        EXPECT_EQ(column->GetSorted(), c.to);
        EXPECT_EQ(list->GetSortedColumnCount(), c.to == csNone ? 0 : 1);
        EXPECT_FALSE(list->IsClearSortClick());
    }

    // Without aoAutoSort a click only reports.
    options.Exclude(aoAutoSort);
    list->SetOptions(options);
    allow = true;
    column->SetSorted(csNone);
    list->ClickColumn(0, {});
    EXPECT_EQ(column->GetSorted(), csNone);

    // The flags a click raises, seen from inside the click.
    SetOptionsEx({aoMultiSort});
    bool multi = false;
    bool clear = false;
    list->OnColumnClick = [&](TObject*, TgxTreeListColumn*) {
        multi = list->IsMultiSortClick();
        clear = list->IsClearSortClick();
    };
    list->ClickColumn(0, {ssShift, ssCtrl});
    EXPECT_TRUE(multi);
    EXPECT_TRUE(clear);
    EXPECT_FALSE(list->IsMultiSortClick());

    // OnColumnSorted changes only the sort shown.
    column->SetSorted(csUp);
    list->OnColumnSorted = [](TObject*, TgxTreeListColumn*, TgxTreeListColumnSort& Sorted) { Sorted = csNone; };
    EXPECT_EQ(list->GetColumnSorted(0), csNone);
    EXPECT_EQ(column->GetSorted(), csUp);
}
