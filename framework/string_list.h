#pragma once
// TStrings (the abstract list of strings with objects) and TStringList, with the framework's
// name=value access, comma and delimited text, line text and files.

#include <functional>
#include <string>
#include <vector>

#include "framework/object.h"

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
    LUMORA_CLASS(TStrings, TPersistent)
public:
    // The line break GetText writes after every line (and SaveToFile writes).
    static constexpr const char* LineBreak = "\r\n";

    // ---- what a concrete list provides
    virtual std::string Get(int Index) const = 0;
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int /*Index*/) const { return nullptr; }
    // Default: delete the line and insert the new text with the old object.
    virtual void Put(int Index, const std::string& S);
    virtual void PutObject(int /*Index*/, TObject* /*AObject*/) {}
    virtual void Insert(int Index, const std::string& S) = 0;
    virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual int GetCapacity() const { return GetCount(); }
    virtual void SetCapacity(int /*NewCapacity*/) {}

    // ---- built on those
    virtual int Add(const std::string& S);
    virtual int AddObject(const std::string& S, TObject* AObject);
    void Append(const std::string& S) { Add(S); }
    virtual void AddStrings(TStrings* Strings);
    // From another TStrings: its lines, objects, Delimiter and QuoteChar replace this list's.
    void Assign(TPersistent* Source) override;
    virtual void Exchange(int Index1, int Index2);
    virtual void Move(int CurIndex, int NewIndex);
    // Same count and the same texts, compared exactly (objects are not compared).
    bool Equals(TStrings* Strings) const;

    // The first line equal to S (CompareStrings), or -1.
    virtual int IndexOf(const std::string& S) const;
    // The first "name=value" line whose name equals Name (CompareStrings), or -1.
    int IndexOfName(const std::string& Name) const;
    int IndexOfObject(TObject* AObject) const;

    // The part of line Index before its first "=" (empty without one).
    std::string GetName(int Index) const;
    // The part after the first "=" of the line named Name; empty when there is none.
    std::string GetValue(const std::string& Name) const;
    // Replaces or adds the line Name=Value; an empty Value deletes the line.
    void SetValue(const std::string& Name, const std::string& Value);
    // The part of line Index after its first "=" (empty without one).
    std::string GetValueFromIndex(int Index) const;
    void SetValueFromIndex(int Index, const std::string& Value);

    // Lines joined by Delimiter; a line holding a character of code 0 to 32, the quote char or
    // the delimiter is written between quote chars with each quote char inside doubled; a list
    // of exactly one empty line is written as two quote chars.
    std::string GetDelimitedText() const;
    // Replaces the lines by the items of Value: items end at the delimiter and at runs of
    // characters of code 1 to 32 outside quotes; a quoted item runs to its closing quote (to the
    // end of the text without one), a doubled quote char inside standing for one; a delimiter
    // directly at the end of the text adds one empty item. A character of code 0 ends the text.
    void SetDelimitedText(const std::string& Value);
    // The same with "," and '"' (setting it also makes those the list's Delimiter and QuoteChar).
    std::string GetCommaText() const;
    void SetCommaText(const std::string& Value);
    char GetDelimiter() const { return FDelimiter; }
    void SetDelimiter(char Value) { FDelimiter = Value; }
    char GetQuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char Value) { FQuoteChar = Value; }

    // Every line followed by LineBreak.
    virtual std::string GetText() const;
    // Replaces the lines: a line ends at CR, LF or CR LF; a final line break adds no empty line;
    // a character of code 0 ends the text.
    virtual void SetText(const std::string& Value);

    // Reads the whole file, or the stream from its position to its end, as text (SetText: any
    // line end). A file that cannot be opened raises EFOpenError.
    virtual void LoadFromFile(const std::string& FileName);
    virtual void LoadFromStream(TStream* Stream);
    // Writes GetText (CR LF line ends). A file that cannot be created raises EFCreateError.
    virtual void SaveToFile(const std::string& FileName) const;
    virtual void SaveToStream(TStream* Stream) const;

    // Nested; the list reports its changes when the outermost bracket ends.
    void BeginUpdate();
    void EndUpdate();

protected:
    int GetUpdateCount() const { return FUpdateCount; }
    // Called when the outermost update bracket opens (true) and closes (false).
    virtual void SetUpdateState(bool /*Updating*/) {}
    // Compares two lines for IndexOf and IndexOfName: ANSI, without regard to case.
    virtual int CompareStrings(const std::string& S1, const std::string& S2) const;
    // Raises EStringListError with Msg, its "%d" replaced by Data.
    [[noreturn]] static void Error(const std::string& Msg, int Data);

private:
    std::string JoinDelimited(char Delimiter, char QuoteChar) const;

    int FUpdateCount = 0;
    char FDelimiter = ',';
    char FQuoteChar = '"';
};

class TStringList;
// Compares the lines at two positions of List: negative, 0 or positive.
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
    LUMORA_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    ~TStringList() override;

    // Index errors raise EStringListError "List index out of bounds (%d)".
    std::string Get(int Index) const override;
    int GetCount() const override { return static_cast<int>(FList.size()); }
    TObject* GetObject(int Index) const override;
    // Raises "Operation not allowed on sorted string list" on a sorted list.
    void Put(int Index, const std::string& S) override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const std::string& S) override;
    // Raises "Operation not allowed on sorted string list" on a sorted list.
    void InsertObject(int Index, const std::string& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    int GetCapacity() const override { return FCapacity; }
    // At least Count: "List capacity out of bounds (%d)".
    void SetCapacity(int NewCapacity) override;

    // On a sorted list the line goes to its place: an equal line already there is kept alone
    // (dupIgnore, returning its index), joined (dupAccept) or refused with EStringListError
    // "String list does not allow duplicates" (dupError).
    int Add(const std::string& S) override;
    int AddObject(const std::string& S, TObject* AObject) override;
    void Exchange(int Index1, int Index2) override;
    // Raises "Operation not allowed on sorted string list" on a sorted list.
    void Move(int CurIndex, int NewIndex) override;
    int IndexOf(const std::string& S) const override;

    // Binary search of a sorted list: true when found; Index is the position of S (the first of
    // equal lines with dupAccept) or where it would be inserted.
    virtual bool Find(const std::string& S, int& Index) const;
    // Sorts an unsorted list with CompareStrings (not stable).
    virtual void Sort();
    // Sorts an unsorted list with Compare, which reads the lines through List and may lie or
    // contradict itself without losing or doubling a line.
    virtual void CustomSort(const TStringListSortCompare& Compare);

    bool GetSorted() const { return FSorted; }
    // Switching it on sorts the list.
    void SetSorted(bool Value);
    TDuplicates GetDuplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool GetCaseSensitive() const { return FCaseSensitive; }
    // A sorted list is sorted again by the new comparison.
    void SetCaseSensitive(bool Value);

    // Fired before and after every change, or once around an update bracket.
    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool Updating) override;
    virtual void Changed();
    virtual void Changing();
    // ANSI comparison, without regard to case unless CaseSensitive.
    int CompareStrings(const std::string& S1, const std::string& S2) const override;
    virtual void InsertItem(int Index, const std::string& S, TObject* AObject);

private:
    struct TStringItem {
        std::string FString;
        TObject* FObject = nullptr;
    };
    void CheckIndex(int Index) const;
    void Grow();
    void QuickSort(const TStringListSortCompare& Compare);

    std::vector<TStringItem> FList;
    int FCapacity = 0;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
};
