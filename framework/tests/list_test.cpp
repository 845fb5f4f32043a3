#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "framework/list.h"

namespace {

void* P(intptr_t n) { return reinterpret_cast<void*>(n); }
intptr_t N(void* p) { return reinterpret_cast<intptr_t>(p); }

std::vector<intptr_t> Items(const TList& list) {
    std::vector<intptr_t> out;
    for (int i = 0; i < list.GetCount(); ++i) out.push_back(N(list.Get(i)));
    return out;
}

void Fill(TList& list, std::initializer_list<intptr_t> values) {
    list.Clear();
    for (intptr_t v : values) list.Add(P(v));
}

class TLoggingList : public TList {
    LUMORA_CLASS(TLoggingList, TList)
public:
    std::string Log;

protected:
    void Notify(void* Ptr, TListNotification Action) override {
        static const char* names[] = {"+", "x", "-"};
        Log += names[Action] + std::to_string(N(Ptr)) + " ";
    }
};

}  // namespace

TEST(List, EditingOperations) {
    TList list;
    Fill(list, {1, 2, 3});
    list.Insert(0, P(0));
    list.Insert(4, P(4));
    EXPECT_EQ(Items(list), (std::vector<intptr_t>{0, 1, 2, 3, 4}));
    list.Move(0, 4);
    EXPECT_EQ(Items(list), (std::vector<intptr_t>{1, 2, 3, 4, 0}));
    list.Move(3, 1);
    EXPECT_EQ(Items(list), (std::vector<intptr_t>{1, 4, 2, 3, 0}));
    list.Exchange(0, 4);
    EXPECT_EQ(Items(list), (std::vector<intptr_t>{0, 4, 2, 3, 1}));
    EXPECT_EQ(list.Remove(P(2)), 2);
    EXPECT_EQ(list.Remove(P(99)), -1);
    EXPECT_EQ(list.Extract(P(3)), P(3));
    EXPECT_EQ(list.Extract(P(3)), nullptr);
    EXPECT_EQ(Items(list), (std::vector<intptr_t>{0, 4, 1}));
    EXPECT_EQ(list.First(), P(0));
    EXPECT_EQ(list.Last(), P(1));
    list.Put(1, P(7));
    EXPECT_EQ(list.IndexOf(P(7)), 1);

    list.SetCount(5);  // grows with nil items
    EXPECT_EQ(Items(list), (std::vector<intptr_t>{0, 7, 1, 0, 0}));
    list.Pack();
    EXPECT_EQ(Items(list), (std::vector<intptr_t>{7, 1}));
    list.SetCount(1);
    EXPECT_EQ(Items(list), (std::vector<intptr_t>{7}));
    EXPECT_GE(list.GetCapacity(), 1);
    list.SetCapacity(40);
    EXPECT_EQ(list.GetCapacity(), 40);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCapacity(), 0);
}

TEST(List, Errors) {
    TList list;
    Fill(list, {1, 2, 3});
    struct Case {
        const char* what;
        std::function<void()> run;
        const char* message;
    } cases[] = {
        {"Get(-1)", [&] { list.Get(-1); }, "List index out of bounds (-1)"},
        {"Get(3)", [&] { list.Get(3); }, "List index out of bounds (3)"},
        {"Put(3)", [&] { list.Put(3, nullptr); }, "List index out of bounds (3)"},
        {"Insert(4)", [&] { list.Insert(4, nullptr); }, "List index out of bounds (4)"},
        {"Delete(3)", [&] { list.Delete(3); }, "List index out of bounds (3)"},
        {"Exchange(0,5)", [&] { list.Exchange(0, 5); }, "List index out of bounds (5)"},
        {"Move(0,3)", [&] { list.Move(0, 3); }, "List index out of bounds (3)"},
        {"Move(-2,1)", [&] { list.Move(-2, 1); }, "List index out of bounds (-2)"},
        {"SetCount(-1)", [&] { list.SetCount(-1); }, "List count out of bounds (-1)"},
        {"SetCapacity(2)", [&] { list.SetCapacity(2); }, "List capacity out of bounds (2)"},
    };
    for (const Case& c : cases) {
        try {
            c.run();
            ADD_FAILURE() << c.what;
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message, c.message) << c.what;
        }
        EXPECT_EQ(Items(list), (std::vector<intptr_t>{1, 2, 3})) << c.what;
    }
    TList empty;
    EXPECT_THROW(empty.First(), EListError);
    EXPECT_THROW(empty.Last(), EListError);
}

TEST(List, Notifications) {
    TLoggingList list;
    list.Add(P(1));
    list.Add(nullptr);  // nil items are not reported
    list.Add(P(2));
    list.Extract(P(1));
    list.Put(0, P(3));
    list.Delete(1);
    list.Add(P(4));
    list.SetCount(0);
    EXPECT_EQ(list.Log, "+1 +2 x1 +3 -2 +4 -4 -3 ");
}

TEST(List, SortOrdersWithAConsistentComparator) {
    std::mt19937 rng(7);
    for (int n : {0, 1, 2, 3, 10, 257, 5000}) {
        TList list;
        std::vector<intptr_t> expected;
        for (int i = 0; i < n; ++i) {
            intptr_t v = static_cast<intptr_t>(rng() % 100);  // many duplicates
            list.Add(P(v));
            expected.push_back(v);
        }
        list.Sort([](void* a, void* b) { return N(a) < N(b) ? -1 : (N(a) > N(b) ? 1 : 0); });
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Items(list), expected) << n;
    }
}

TEST(List, SortSurvivesComparatorsThatLie) {
    std::mt19937 rng(11);
    int calls = 0;
    struct Case {
        const char* name;
        TListSortCompare compare;
    } cases[] = {
        {"always less", [](void*, void*) { return -1; }},
        {"always greater", [](void*, void*) { return 1; }},
        {"always equal", [](void*, void*) { return 0; }},
        {"random", [&](void*, void*) { return static_cast<int>(rng() % 3) - 1; }},
        {"not antisymmetric", [](void* a, void* b) { return N(a) <= N(b) ? -1 : 1; }},
        {"flips every call", [&](void* a, void* b) {
             ++calls;
             return (calls % 2 ? 1 : -1) * (N(a) < N(b) ? -1 : 1);
         }},
    };
    for (const Case& c : cases) {
        for (int n : {2, 3, 17, 2000}) {
            TList list;
            std::vector<intptr_t> expected;
            for (int i = 0; i < n; ++i) {
                list.Add(P(i + 1));
                expected.push_back(i + 1);
            }
            list.Sort(c.compare);
            std::vector<intptr_t> got = Items(list);
            std::sort(got.begin(), got.end());
            EXPECT_EQ(got, expected) << c.name << " n=" << n;  // nothing lost or doubled
        }
    }
}

TEST(List, SortWithAComparatorThatThrowsOrEditsTheList) {
    TList list;
    Fill(list, {5, 3, 9, 1, 7});
    int calls = 0;
    EXPECT_THROW(list.Sort([&](void* a, void* b) {
                     if (++calls == 4) throw EListError("stop");
                     return static_cast<int>(N(a) - N(b));
                 }),
                 EListError);
    EXPECT_EQ(Items(list), (std::vector<intptr_t>{5, 3, 9, 1, 7}));  // untouched

    // A comparator that empties and refills the list: memory stays sound, the sort wins.
    list.Sort([&](void* a, void* b) {
        list.Clear();
        for (int i = 0; i < 50; ++i) list.Add(P(100 + i));
        return static_cast<int>(N(a) - N(b));
    });
    EXPECT_EQ(Items(list), (std::vector<intptr_t>{1, 3, 5, 7, 9}));
}
