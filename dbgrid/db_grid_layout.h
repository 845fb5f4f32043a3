#pragma once
// The store a grid layout is read from and written to: an INI file or a registry key seen as an
// INI file (db_grid_layout.cpp). The wrapper does not own the store.

#include <string>

#include "framework/object.h"

class TIniFile;
class TRegIniFile;
class TStrings;

class TRegIniWrapper : public TObject {
    LUMORA_CLASS(TRegIniWrapper, TObject)
public:
    explicit TRegIniWrapper(TIniFile* Store) : FIniFile(Store) {}
    explicit TRegIniWrapper(TRegIniFile* Store) : FRegIniFile(Store) {}

    bool IsIniFile() const { return FIniFile != nullptr; }
    // An absent section or value reads the default.
    Integer ReadInteger(const std::string& Section, const std::string& Ident, Integer Default);
    void WriteInteger(const std::string& Section, const std::string& Ident, Integer Value);
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    void ReadSections(TStrings* List);
    void EraseSection(const std::string& Section);

private:
    TIniFile* FIniFile = nullptr;
    TRegIniFile* FRegIniFile = nullptr;
};
