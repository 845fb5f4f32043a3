// The memory table with the fields of the file tables, beside SQLite in memory doing the same
// work on the same rows:
//   append   100,000 records (Append, set the fields, Post) / INSERT in one transaction
//   locate   the record of a key by scanning (Locate on "KeyID") / SELECT ... WHERE KeyID = ?
//            LIMIT 1 on a column without an index (neither side has one)
//   filter   a change of the file-type filter (UpdateFilters through OnFilterRecord) /
//            SELECT rowid ... WHERE LMFileType = ?
//   sort     by file name (SortedField) / SELECT rowid ... ORDER BY Filename
// Each figure is the best of several runs.

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/file_table.h"

using namespace bench;

namespace {

constexpr int RowCount = 100000;
constexpr int LocateCount = 200;

double Ms(const std::function<void()>& Work) {
    auto start = std::chrono::steady_clock::now();
    Work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double BestOf(int Runs, const std::function<double()>& Run) {
    double best = 1e300;
    for (int i = 0; i < Runs; ++i) best = std::min(best, Run());
    return best;
}

void Report(const char* Name, double Ours, double Peer) {
    std::printf("%s: ours %.2f ms, SQLite %.2f ms, ratio %.3f\n", Name, Ours, Peer, Ours / Peer);
}

// ---- SQLite ----

struct Sql {
    sqlite3* Db = nullptr;
    Sql() {
        sqlite3_open(":memory:", &Db);
        Exec("CREATE TABLE files (KeyID INTEGER, FileID INTEGER, Filename TEXT, PathID INTEGER, Path TEXT, "
             "OriginalExtension TEXT, LMFileType INTEGER, FileDate REAL, FileSize INTEGER, StorageMethod INTEGER)");
    }
    ~Sql() { sqlite3_close(Db); }
    void Exec(const char* Statement) { sqlite3_exec(Db, Statement, nullptr, nullptr, nullptr); }
    sqlite3_stmt* Prepare(const char* Statement) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(Db, Statement, -1, &s, nullptr);
        return s;
    }
    void Fill(const std::vector<Row>& Rows) {
        Exec("BEGIN");
        sqlite3_stmt* s = Prepare("INSERT INTO files VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        int key = 0;
        for (const Row& r : Rows) {
            sqlite3_bind_int(s, 1, ++key);
            sqlite3_bind_int(s, 2, r.FileID);
            sqlite3_bind_text(s, 3, r.Filename.c_str(), static_cast<int>(r.Filename.size()), SQLITE_STATIC);
            sqlite3_bind_int(s, 4, r.PathID);
            sqlite3_bind_text(s, 5, r.Path.c_str(), static_cast<int>(r.Path.size()), SQLITE_STATIC);
            sqlite3_bind_text(s, 6, r.Extension.c_str(), static_cast<int>(r.Extension.size()), SQLITE_STATIC);
            sqlite3_bind_int(s, 7, r.LMFileType);
            sqlite3_bind_double(s, 8, r.FileDate);
            sqlite3_bind_int(s, 9, r.FileSize);
            sqlite3_bind_int(s, 10, r.StorageMethod);
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        Exec("COMMIT");
    }
    // The rowids a query answers, in its order.
    std::vector<sqlite3_int64> RowIds(sqlite3_stmt* s) {
        std::vector<sqlite3_int64> ids;
        while (sqlite3_step(s) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(s, 0));
        sqlite3_reset(s);
        return ids;
    }
};

}  // namespace

int main() {
    std::vector<Row> rows = MakeRows(RowCount);
    std::vector<int> keys;
    std::mt19937 rng(99);
    for (int i = 0; i < LocateCount; ++i) keys.push_back(1 + static_cast<int>(rng() % RowCount));

    // Append.
    double oursAppend = BestOf(3, [&] {
        Table t;
        return Ms([&] { t.Fill(rows); });
    });
    double sqlAppend = BestOf(3, [&] {
        Sql s;
        return Ms([&] { s.Fill(rows); });
    });
    Report("memdata_append_100000", oursAppend, sqlAppend);

    Table t;
    t.Fill(rows);
    Sql s;
    s.Fill(rows);

    // Locate by key.
    long found = 0;
    double oursLocate = BestOf(3, [&] {
        return Ms([&] {
            for (int k : keys) found += t.T->Locate("KeyID", k, {}) ? t.FileSize->GetAsInteger() % 2 : 0;
        });
    });
    sqlite3_stmt* byKey = s.Prepare("SELECT * FROM files WHERE KeyID = ? LIMIT 1");
    double sqlLocate = BestOf(3, [&] {
        return Ms([&] {
            for (int k : keys) {
                sqlite3_bind_int(byKey, 1, k);
                if (sqlite3_step(byKey) == SQLITE_ROW) found += sqlite3_column_int(byKey, 8) % 2;
                sqlite3_reset(byKey);
            }
        });
    });
    sqlite3_finalize(byKey);
    Report("memdata_locate_200_keys", oursLocate, sqlLocate);

    // Filter changes: one per file type.
    int wanted = 0;
    t.T->SetOnFilterRecord([&](TDataSet*, bool& Accept) { Accept = t.LMFileType->GetAsInteger() == wanted; });
    double oursFilter = BestOf(3, [&] {
        return Ms([&] {
            for (wanted = 0; wanted < FileTypes; ++wanted) {
                t.T->UpdateFilters();
                found += t.T->GetRecordCount();
            }
        });
    });
    sqlite3_stmt* byType = s.Prepare("SELECT rowid FROM files WHERE LMFileType = ?");
    double sqlFilter = BestOf(3, [&] {
        return Ms([&] {
            for (int type = 0; type < FileTypes; ++type) {
                sqlite3_bind_int(byType, 1, type);
                found += static_cast<long>(s.RowIds(byType).size());
            }
        });
    });
    sqlite3_finalize(byType);
    Report("memdata_filter_change", oursFilter / FileTypes, sqlFilter / FileTypes);
    t.T->SetOnFilterRecord(nullptr);

    // Sorting by name, from the order of the keys each time.
    double oursSort = BestOf(3, [&] {
        t.T->SetSortedField("KeyID");
        return Ms([&] { t.T->SetSortedField("Filename"); });
    });
    sqlite3_stmt* byName = s.Prepare("SELECT rowid FROM files ORDER BY Filename");
    double sqlSort = BestOf(3, [&] { return Ms([&] { found += static_cast<long>(s.RowIds(byName).size()); }); });
    sqlite3_finalize(byName);
    Report("memdata_sort_by_name", oursSort, sqlSort);

    std::printf("appending %s SQLite, locating %s SQLite (checksum %ld)\n",
                oursAppend < sqlAppend ? "is faster than" : "is NOT faster than",
                oursLocate < sqlLocate ? "is faster than" : "is NOT faster than", found);
    return 0;
}
