// The memory table as a TAB-separated text file: SaveToTextFile and LoadFromTextFile.

#include <cerrno>
#include <cstring>

#include "dbgrid/mem_data.h"
#include "framework/atomic_file.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"

namespace {

constexpr char Delimiter = '\t';

// The fields the text form holds: stored data fields other than blobs.
bool IsTextField(const TField* Field) {
    return Field && Field->GetFieldKind() == fkData && !Field->IsBlob();
}

// The values of one line, split at every delimiter; a line without one is a single value.
std::vector<std::string> SplitLine(const std::string& Line) {
    std::vector<std::string> values;
    size_t start = 0;
    for (size_t tab; (tab = Line.find(Delimiter, start)) != std::string::npos; start = tab + 1)
        values.push_back(Line.substr(start, tab - start));
    values.push_back(Line.substr(start));
    return values;
}

// Disables the table's controls for a scope.
class DisabledControls {
public:
    explicit DisabledControls(TDataSet* DataSet) : FDataSet(DataSet) { FDataSet->DisableControls(); }
    ~DisabledControls() { FDataSet->EnableControls(); }
    DisabledControls(const DisabledControls&) = delete;
    DisabledControls& operator=(const DisabledControls&) = delete;

private:
    TDataSet* FDataSet;
};

}  // namespace

void TgxMemData::SaveToTextFile(const std::string& FileName) {
    if (!GetActive()) return;
    TStringList lines;
    {
        DisabledControls disabled(this);
        std::vector<TField*> fields;
        std::string header;
        for (TField* f : *GetFields()) {
            if (!IsTextField(f)) continue;
            if (!fields.empty()) header += Delimiter;
            header += f->GetFieldName();
            fields.push_back(f);
        }
        lines.Add(header);
        TBookmark bookmark = GetBookmark();
        try {
            for (First(); !GetEOF(); Next()) {
                std::string line;
                for (size_t i = 0; i < fields.size(); ++i) {
                    if (i) line += Delimiter;
                    line += fields[i]->GetText();
                }
                lines.Add(line);
            }
            if (bookmark && BookmarkValid(bookmark)) GotoBookmark(bookmark);
        } catch (...) {
            FreeBookmark(bookmark);
            throw;
        }
        FreeBookmark(bookmark);
    }
    if (!WriteFileAtomically(FileName, lines.GetText())) {
        const char* reason = std::strerror(errno);
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {FileName, reason}));
    }
}

void TgxMemData::LoadFromTextFile(const std::string& FileName) {
    TStringList lines;
    lines.LoadFromFile(FileName);
    if (lines.GetCount() == 0) return;
    const bool wasLoading = FLoading;
    FLoading = true;
    DisabledControls disabled(this);
    try {
        Close();
        Open();
        std::vector<TField*> columns;
        for (const std::string& name : SplitLine(lines.Get(0))) {
            TField* f = FindField(name);
            columns.push_back(IsTextField(f) ? f : nullptr);
        }
        for (int n = 1; n < lines.GetCount(); ++n) {
            Append();
            std::vector<std::string> values = SplitLine(lines.Get(n));
            if (values.size() > columns.size())
                throw EListError(Format("List index out of bounds (%d)", {static_cast<Integer>(columns.size())}));
            for (size_t i = 0; i < values.size(); ++i)
                if (columns[i] && !values[i].empty()) columns[i]->SetText(values[i]);
            Post();
        }
    } catch (...) {
        // The records loaded so far stay; the one being added goes.
        if (GetState() == dsInsert) Cancel();
        FLoading = wasLoading;
        throw;
    }
    FLoading = wasLoading;
    First();
    SortRecords();
}
