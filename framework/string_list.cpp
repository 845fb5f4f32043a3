#include "framework/string_list.h"

#include <algorithm>
#include <iterator>

#include "framework/file_utils.h"
#include "framework/list.h"
#include "framework/memory_limits.h"
#include "framework/stream.h"
#include "framework/sysutils.h"

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SListCapacityError = "List capacity out of bounds (%d)";
const char* const SSortedListError = "Operation not allowed on sorted string list";
const char* const SDuplicateString = "String list does not allow duplicates";

// The text up to its first character of code 0, as the framework's texts end there.
std::string UpToNul(const std::string& s) {
    size_t nul = s.find('\0');
    return nul == std::string::npos ? s : s.substr(0, nul);
}

bool IsBlank(char c) {
    return c >= 1 && static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

// ---- TStrings --------------------------------------------------------------------------------

void TStrings::Error(const std::string& Msg, int Data) {
    throw EStringListError(Format(Msg, {Data}));
}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
    return AnsiCompareText(S1, S2);
}

void TStrings::Put(int Index, const std::string& S) {
    TObject* object = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, object);
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}

int TStrings::Add(const std::string& S) {
    int index = GetCount();
    Insert(index, S);
    return index;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
    int index = Add(S);
    PutObject(index, AObject);
    return index;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0) SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0) SetUpdateState(false);
}

namespace {
// Closes an update bracket also when the work inside it raises.
class UpdateScope {
public:
    explicit UpdateScope(TStrings& s) : s_(s) { s_.BeginUpdate(); }
    ~UpdateScope() { s_.EndUpdate(); }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

private:
    TStrings& s_;
};
}  // namespace

void TStrings::AddStrings(TStrings* Strings) {
    UpdateScope scope(*this);
    int count = Strings->GetCount();
    for (int i = 0; i < count; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TStrings::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TStrings*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this) return;
    UpdateScope scope(*this);
    Clear();
    FDelimiter = source->FDelimiter;
    FQuoteChar = source->FQuoteChar;
    AddStrings(source);
}

void TStrings::Exchange(int Index1, int Index2) {
    UpdateScope scope(*this);
    TObject* object = GetObject(Index1);
    std::string text = Get(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, text);
    PutObject(Index2, object);
}

void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    UpdateScope scope(*this);
    TObject* object = GetObject(CurIndex);
    std::string text = Get(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, text, object);
}

bool TStrings::Equals(TStrings* Strings) const {
    int count = GetCount();
    if (count != Strings->GetCount()) return false;
    for (int i = 0; i < count; ++i)
        if (Get(i) != Strings->Get(i)) return false;
    return true;
}

int TStrings::IndexOf(const std::string& S) const {
    int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (CompareStrings(Get(i), S) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
    int count = GetCount();
    for (int i = 0; i < count; ++i) {
        std::string s = Get(i);
        size_t eq = s.find('=');
        if (eq != std::string::npos && CompareStrings(s.substr(0, eq), Name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
    int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}

std::string TStrings::GetName(int Index) const {
    std::string s = Get(Index);
    size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStrings::GetValue(const std::string& Name) const {
    int index = IndexOfName(Name);
    return index >= 0 ? GetValueFromIndex(index) : std::string();
}

void TStrings::SetValue(const std::string& Name, const std::string& Value) {
    int index = IndexOfName(Name);
    if (!Value.empty()) {
        if (index < 0) index = Add("");
        Put(index, Name + "=" + Value);
    } else if (index >= 0) {
        Delete(index);
    }
}

std::string TStrings::GetValueFromIndex(int Index) const {
    if (Index < 0) return std::string();
    std::string s = Get(Index);
    size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

void TStrings::SetValueFromIndex(int Index, const std::string& Value) {
    if (!Value.empty()) {
        if (Index < 0) Index = Add("");
        Put(Index, GetName(Index) + "=" + Value);
    } else if (Index >= 0) {
        Delete(Index);
    }
}

std::string TStrings::GetDelimitedText() const {
    return JoinDelimited(FDelimiter, FQuoteChar);
}

std::string TStrings::JoinDelimited(char Delimiter, char QuoteChar) const {
    int count = GetCount();
    if (count == 1 && Get(0).empty()) return std::string(2, QuoteChar);
    std::string result;
    for (int i = 0; i < count; ++i) {
        std::string s = Get(i);
        bool quote = std::any_of(s.begin(), s.end(), [&](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == QuoteChar || c == Delimiter;
        });
        if (i > 0) result += Delimiter;
        result += quote ? AnsiQuotedStr(s, QuoteChar) : s;
    }
    return result;
}

void TStrings::SetDelimitedText(const std::string& Value) {
    const std::string text = UpToNul(Value);
    const size_t n = text.size();
    UpdateScope scope(*this);
    Clear();
    size_t p = 0;
    while (p < n && IsBlank(text[p])) ++p;
    while (p < n) {
        std::string item;
        if (text[p] == FQuoteChar) {
            item = AnsiExtractQuotedStr(text, p, FQuoteChar);
        } else {
            size_t start = p;
            while (p < n && static_cast<unsigned char>(text[p]) > ' ' && text[p] != FDelimiter) ++p;
            item = text.substr(start, p - start);
        }
        Add(item);
        while (p < n && IsBlank(text[p])) ++p;
        if (p < n && text[p] == FDelimiter) {
            if (p + 1 == n) Add("");
            do {
                ++p;
            } while (p < n && IsBlank(text[p]));
        }
    }
}

std::string TStrings::GetCommaText() const {
    return JoinDelimited(',', '"');
}

void TStrings::SetCommaText(const std::string& Value) {
    FDelimiter = ',';
    FQuoteChar = '"';
    SetDelimitedText(Value);
}

std::string TStrings::GetText() const {
    std::string result;
    int count = GetCount();
    for (int i = 0; i < count; ++i) {
        result += Get(i);
        result += LineBreak;
    }
    return result;
}

void TStrings::SetText(const std::string& Value) {
    const std::string text = UpToNul(Value);
    const size_t n = text.size();
    UpdateScope scope(*this);
    Clear();
    size_t p = 0;
    while (p < n) {
        size_t start = p;
        while (p < n && text[p] != '\r' && text[p] != '\n') ++p;
        Add(text.substr(start, p - start));
        if (p < n && text[p] == '\r') ++p;
        if (p < n && text[p] == '\n') ++p;
    }
}

void TStrings::LoadFromFile(const std::string& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TStrings::LoadFromStream(TStream* Stream) {
    Int64 size = Stream->GetSize() - Stream->GetPosition();
    std::string data(static_cast<size_t>(std::max<Int64>(size, 0)), '\0');
    size_t got = 0;
    while (got < data.size()) {
        Int64 n = Stream->Read(data.data() + got, static_cast<Int64>(data.size() - got));
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    data.resize(got);
    SetText(data);
}

void TStrings::SaveToFile(const std::string& FileName) const {
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

void TStrings::SaveToStream(TStream* Stream) const {
    std::string data = GetText();
    Stream->WriteBuffer(data.data(), static_cast<Int64>(data.size()));
}

// ---- TStringList ----------------------------------------------------------------------------

TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
}

void TStringList::Changed() {
    if (GetUpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (GetUpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
    if (Updating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
    return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

std::string TStringList::Get(int Index) const {
    CheckIndex(Index);
    return FList[static_cast<size_t>(Index)].FString;
}

TObject* TStringList::GetObject(int Index) const {
    CheckIndex(Index);
    return FList[static_cast<size_t>(Index)].FObject;
}

void TStringList::Put(int Index, const std::string& S) {
    if (FSorted) Error(SSortedListError, 0);
    CheckIndex(Index);
    Changing();
    FList[static_cast<size_t>(Index)].FString = S;
    Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    Changing();
    FList[static_cast<size_t>(Index)].FObject = AObject;
    Changed();
}

void TStringList::Grow() {
    int delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
    SetCapacity(FCapacity + delta);
}

void TStringList::SetCapacity(int NewCapacity) {
    if (NewCapacity < GetCount() || NewCapacity > MaxListSize) Error(SListCapacityError, NewCapacity);
    if (!MemoryCanHold(UInt64(NewCapacity) * sizeof(TStringItem))) OutOfMemoryError();
    AllocateOrRaise([&] {
        if (NewCapacity < FCapacity) {
            std::vector<TStringItem> shrunk;
            shrunk.reserve(static_cast<size_t>(NewCapacity));
            std::move(FList.begin(), FList.end(), std::back_inserter(shrunk));
            FList.swap(shrunk);
        } else {
            FList.reserve(static_cast<size_t>(NewCapacity));
        }
    });
    FCapacity = NewCapacity;
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
    Changing();
    if (GetCount() == FCapacity) Grow();
    FList.insert(FList.begin() + Index, TStringItem{S, AObject});
    Changed();
}

void TStringList::Insert(int Index, const std::string& S) {
    InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
    if (FSorted) Error(SSortedListError, 0);
    if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
    InsertItem(Index, S, AObject);
}

int TStringList::Add(const std::string& S) {
    return AddObject(S, nullptr);
}

int TStringList::AddObject(const std::string& S, TObject* AObject) {
    int index = GetCount();
    if (FSorted && Find(S, index)) {
        if (FDuplicates == dupIgnore) return index;
        if (FDuplicates == dupError) Error(SDuplicateString, 0);
    }
    InsertItem(index, S, AObject);
    return index;
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    FList.erase(FList.begin() + Index);
    Changed();
}

void TStringList::Clear() {
    if (FList.empty()) return;
    Changing();
    FList.clear();
    SetCapacity(0);
    Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
    Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    if (FSorted) Error(SSortedListError, 0);
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    Changing();
    auto first = FList.begin();
    if (CurIndex < NewIndex)
        std::rotate(first + CurIndex, first + CurIndex + 1, first + NewIndex + 1);
    else
        std::rotate(first + NewIndex, first + CurIndex, first + CurIndex + 1);
    Changed();
}

int TStringList::IndexOf(const std::string& S) const {
    if (!FSorted) return TStrings::IndexOf(S);
    int index = -1;
    return Find(S, index) ? index : -1;
}

bool TStringList::Find(const std::string& S, int& Index) const {
    bool found = false;
    int lo = 0;
    int hi = GetCount() - 1;
    while (lo <= hi) {
        int mid = lo + (hi - lo) / 2;
        int c = CompareStrings(FList[static_cast<size_t>(mid)].FString, S);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != dupAccept) lo = mid;
            }
        }
    }
    Index = lo;
    return found;
}

void TStringList::QuickSort(const TStringListSortCompare& Compare) {
    if (GetCount() < 2) return;
    auto compare = [&](int a, int b) { return Compare(this, a, b); };
    // The comparator may edit the list: every exchange checks its positions.
    auto exchange = [&](int a, int b) {
        CheckIndex(a);
        CheckIndex(b);
        std::swap(FList[static_cast<size_t>(a)], FList[static_cast<size_t>(b)]);
    };
    Changing();
    lumora_detail::SafeQuickSort(0, GetCount() - 1, compare, exchange);
    Changed();
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
    if (!FSorted && Compare) QuickSort(Compare);
}

void TStringList::Sort() {
    CustomSort([](TStringList* list, int a, int b) {
        return list->CompareStrings(list->FList[static_cast<size_t>(a)].FString,
                                    list->FList[static_cast<size_t>(b)].FString);
    });
}

void TStringList::SetSorted(bool Value) {
    if (FSorted == Value) return;
    if (Value) Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (FCaseSensitive == Value) return;
    FCaseSensitive = Value;
    if (FSorted) {
        FSorted = false;
        Sort();
        FSorted = true;
    }
}
