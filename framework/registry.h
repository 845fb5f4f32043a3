#pragma once
// The registry: a tree of keys holding named values, under the root keys HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT. Key and value names compare without regard to
// case. Each root lives in one text file of the registry folder (RegistryFolder), read when the
// root is first used and written back atomically when a TRegistry closes its key (and when the
// program ends). The environment variable LUMORA_REGISTRY_DIR moves the folder (tests do).
//
// TRegistry opens one key at a time. Key paths use "\" between names; a path that starts with
// "\" is taken from the root key, any other from the open key (or the root when none is open).

#include <string>

#include "framework/object.h"

class TStrings;

using HKEY = uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;

// Value types as the store keeps them.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// Access rights for opening keys.
constexpr LongWord KEY_QUERY_VALUE = 0x0001;
constexpr LongWord KEY_SET_VALUE = 0x0002;
constexpr LongWord KEY_CREATE_SUB_KEY = 0x0004;
constexpr LongWord KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr LongWord KEY_READ = 0x20019;
constexpr LongWord KEY_WRITE = 0x20006;
constexpr LongWord KEY_ALL_ACCESS = 0xF003F;

// The folder of the root files, with a trailing "/": $LUMORA_REGISTRY_DIR, else
// $XDG_CONFIG_HOME/Qorvex, else ~/.config/Qorvex.
std::string RegistryFolder();
// The file of one root key ("" for a handle that is not a root key).
std::string RegistryFileName(HKEY Root);
// Writes every changed root to its file. Answers false when a file could not be written (the
// changes stay pending).
bool RegistryFlush();
// Flushes, then forgets every root read so far, so that the next use reads the files again (and
// RegistryFolder is looked up again).
void RegistryUnload();

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    Integer DataSize = 0;
};

struct TRegKeyInfo {
    Integer NumSubKeys = 0;
    Integer MaxSubKeyLen = 0;
    Integer NumValues = 0;
    Integer MaxValueLen = 0;
    Integer MaxDataLen = 0;
};

class TRegistry : public TObject {
    LUMORA_CLASS(TRegistry, TObject)
public:
    TRegistry();
    explicit TRegistry(LongWord AAccess);
    ~TRegistry() override;

    HKEY GetRootKey() const { return rootKey_; }
    // Closes the open key first.
    void SetRootKey(HKEY Value);
    // The open key's handle, 0 when none is open.
    HKEY GetCurrentKey() const { return currentKey_; }
    // The open key's path from the root ("Software\Qorvex"), "" when none is open.
    const std::string& GetCurrentPath() const { return currentPath_; }
    LongWord GetAccess() const { return access_; }
    void SetAccess(LongWord Value) { access_ = Value; }
    // Kept for compatibility: changes are always written when a key is closed.
    bool GetLazyWrite() const { return lazyWrite_; }
    void SetLazyWrite(bool Value) { lazyWrite_ = Value; }

    // Opens a key, creating it (and the keys above it) when CanCreate is set. Answers whether it
    // is open; the key open before is closed only on success.
    bool OpenKey(const std::string& Key, bool CanCreate);
    // Opens an existing key for reading only; writes to it fail.
    bool OpenKeyReadOnly(const std::string& Key);
    // Closes the open key and writes the changes to the disk.
    void CloseKey();
    // Creates a key without opening it; ERegistryException "Failed to create key <Key>" on
    // failure.
    bool CreateKey(const std::string& Key);
    // Deletes a key with everything below it. Answers false when it does not exist.
    bool DeleteKey(const std::string& Key);
    bool KeyExists(const std::string& Key);
    bool HasSubKeys();
    // Names of the open key's subkeys (sorted without regard to case) and of its values (in the
    // order they were made). Strings is cleared first.
    void GetKeyNames(TStrings* Strings);
    void GetValueNames(TStrings* Strings);
    bool GetKeyInfo(TRegKeyInfo& Value);

    bool ValueExists(const std::string& Name);
    bool DeleteValue(const std::string& Name);
    // Renames a value; nothing happens when the new name is taken.
    void RenameValue(const std::string& OldName, const std::string& NewName);
    bool GetDataInfo(const std::string& ValueName, TRegDataInfo& Value);
    // Bytes of the value's data (texts count their terminating zero), -1 when it does not exist.
    Integer GetDataSize(const std::string& ValueName);
    TRegDataType GetDataType(const std::string& ValueName);

    // Writes raise ERegistryException "Failed to set data for '<Name>'" when no key is open, the
    // key was opened read-only or no longer exists.
    // Typed reads of a value that does not exist raise "Failed to get data for '<Name>'"; of a
    // value of another type "Invalid data type for '<Name>'". ReadString of a missing value
    // answers "".
    std::string ReadString(const std::string& Name);
    void WriteString(const std::string& Name, const std::string& Value);
    void WriteExpandString(const std::string& Name, const std::string& Value);
    Integer ReadInteger(const std::string& Name);
    void WriteInteger(const std::string& Name, Integer Value);
    // An integer value, non-zero for true.
    bool ReadBool(const std::string& Name);
    void WriteBool(const std::string& Name, bool Value);
    // Doubles, dates and currency are stored as binary values of their 8 bytes.
    Double ReadFloat(const std::string& Name);
    void WriteFloat(const std::string& Name, Double Value);
    TDateTime ReadDate(const std::string& Name);
    void WriteDate(const std::string& Name, TDateTime Value);
    TDateTime ReadTime(const std::string& Name);
    void WriteTime(const std::string& Name, TDateTime Value);
    TDateTime ReadDateTime(const std::string& Name);
    void WriteDateTime(const std::string& Name, TDateTime Value);
    Currency ReadCurrency(const std::string& Name);
    void WriteCurrency(const std::string& Name, Currency Value);
    // Copies a binary value into Buffer and answers its size; "Failed to get data for" also when
    // BufSize is too small.
    Integer ReadBinaryData(const std::string& Name, void* Buffer, Integer BufSize);
    void WriteBinaryData(const std::string& Name, const void* Buffer, Integer BufSize);

protected:
    // The open key as a path from the root (internal names), or false when none is open.
    bool OpenPath(std::string& Path) const;
    // Combines a key argument with the open key as the rules above say.
    std::string ResolvePath(const std::string& Key) const;

private:
    std::string ReadTyped(const std::string& Name, DWORD Type, bool EightBytes);
    void WriteValue(const std::string& Name, DWORD Type, const std::string& Data);
    bool OpenWith(const std::string& Key, bool CanCreate, bool ReadOnly);

    HKEY rootKey_ = HKEY_CURRENT_USER;
    HKEY currentKey_ = 0;
    std::string currentPath_;
    LongWord access_ = KEY_ALL_ACCESS;
    bool readOnly_ = false;
    bool lazyWrite_ = true;
};

// The registry seen as an INI file: the key named by FileName (under HKEY_CURRENT_USER unless
// the root is changed) holds one subkey per section and one value per entry. Integers and
// Booleans are written as text ("1"/"0"); ReadInteger takes text and integer values alike.
class TRegIniFile : public TRegistry {
    LUMORA_CLASS(TRegIniFile, TRegistry)
public:
    explicit TRegIniFile(const std::string& FileName);
    TRegIniFile(const std::string& FileName, LongWord AAccess);

    const std::string& GetFileName() const { return fileName_; }

    using TRegistry::DeleteKey;
    using TRegistry::ReadBool;
    using TRegistry::ReadInteger;
    using TRegistry::ReadString;
    using TRegistry::WriteBool;
    using TRegistry::WriteInteger;
    using TRegistry::WriteString;

    // An empty Section means the file's own key.
    std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default);
    Integer ReadInteger(const std::string& Section, const std::string& Ident, Integer Default);
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Ident, Integer Value);
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    void ReadSection(const std::string& Section, TStrings* Strings);
    void ReadSections(TStrings* Strings);
    void ReadSectionValues(const std::string& Section, TStrings* Strings);
    void EraseSection(const std::string& Section);
    void DeleteKey(const std::string& Section, const std::string& Ident);

private:
    // Runs Body with the section's key open (created when Create is set), then reopens the
    // file's key. Answers false when the section could not be opened.
    template <class F>
    bool InSection(const std::string& Section, bool Create, F&& Body);

    std::string fileName_;
};
