#include "framework/registry.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

#include "framework/atomic_file.h"
#include "framework/file_utils.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"

namespace {

// ---- the in-memory tree ------------------------------------------------------------------------

struct Value {
    std::string Name;
    std::string Folded;
    DWORD Type = REG_NONE;
    std::string Data;  // texts without their terminating zero; DWORDs as 4 little-endian bytes
};

struct Key {
    std::string Name;
    std::map<std::string, std::unique_ptr<Key>> Subkeys;  // by folded name
    std::vector<Value> Values;                            // in the order they were made

    Value* FindValue(const std::string& folded) {
        for (Value& v : Values)
            if (v.Folded == folded) return &v;
        return nullptr;
    }
};

struct Root {
    Root(HKEY handle, const char* name) : Handle(handle), Name(name) {}
    HKEY Handle;
    const char* Name;
    std::unique_ptr<Key> Tree;
    bool Loaded = false;
    bool Dirty = false;
    std::string File;
    TFileStamp Stamp;
};

struct Store {
    std::mutex Mutex;
    Root Roots[3] = {{HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                     {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                     {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"}};
    HKEY NextHandle = 0x1000;
};

void FlushAtExit();

Store& TheStore() {
    static Store* store = [] {
        std::atexit(FlushAtExit);
        return new Store;
    }();
    return *store;
}

std::string Fold(std::string_view name) {
    return AnsiUpperCase(name);
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinPath(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts) {
        if (!out.empty()) out += '\\';
        out += p;
    }
    return out;
}

// ---- the text files ----------------------------------------------------------------------------
//
// [Software\Qorvex\Lumora]      a key (every key is written, empty ones too; "[]" is the root)
// "Name"="text"                 REG_SZ          @=...  the default value
// "Name"=expand:"text"          REG_EXPAND_SZ
// "Name"=dword:0000002a         REG_DWORD
// "Name"=hex:00,ff              REG_BINARY      hex(N): any other type
// Key names escape %, \, [, ] and control characters as %XX; quoted texts escape \ " and control
// characters with backslashes.

const char kHex[] = "0123456789abcdef";

std::string EscapeKeyName(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '%' || c == '\\' || c == '[' || c == ']') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string UnescapeKeyName(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\x";
                    out += kHex[c >> 4];
                    out += kHex[c & 15];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

// Reads a quoted text at Pos; moves Pos past it.
bool ReadQuoted(const std::string& line, size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c != '\\' || pos + 1 >= line.size()) {
            out += c;
            continue;
        }
        char e = line[++pos];
        switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x':
                if (pos + 2 < line.size() && HexValue(line[pos + 1]) >= 0 && HexValue(line[pos + 2]) >= 0) {
                    out += static_cast<char>(HexValue(line[pos + 1]) * 16 + HexValue(line[pos + 2]));
                    pos += 2;
                }
                break;
            default: out += e; break;
        }
    }
    return false;
}

std::string HexBytes(const std::string& data) {
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i) out += ',';
        unsigned char c = static_cast<unsigned char>(data[i]);
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

bool ParseHexBytes(const std::string& text, std::string& out) {
    out.clear();
    size_t i = 0;
    while (i < text.size()) {
        if (i + 1 >= text.size() || HexValue(text[i]) < 0 || HexValue(text[i + 1]) < 0) return false;
        out += static_cast<char>(HexValue(text[i]) * 16 + HexValue(text[i + 1]));
        i += 2;
        if (i < text.size()) {
            if (text[i] != ',') return false;
            ++i;
        }
    }
    return true;
}

DWORD DwordOf(const std::string& data) {
    DWORD v = 0;
    for (size_t i = 0; i < 4 && i < data.size(); ++i) v |= DWORD(static_cast<unsigned char>(data[i])) << (8 * i);
    return v;
}

std::string DwordData(DWORD v) {
    std::string d(4, '\0');
    for (int i = 0; i < 4; ++i) d[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return d;
}

void WriteKey(std::string& out, const Key& key, const std::string& path, bool isRoot) {
    if (!isRoot || !key.Values.empty()) {
        out += "\n[" + path + "]\n";
        for (const Value& v : key.Values) {
            out += v.Name.empty() ? std::string("@") : Quoted(v.Name);
            out += '=';
            switch (v.Type) {
                case REG_SZ: out += Quoted(v.Data); break;
                case REG_EXPAND_SZ: out += "expand:" + Quoted(v.Data); break;
                case REG_DWORD: {
                    char buf[16];
                    std::snprintf(buf, sizeof buf, "dword:%08x", DwordOf(v.Data));
                    out += buf;
                    break;
                }
                case REG_BINARY: out += "hex:" + HexBytes(v.Data); break;
                default: out += "hex(" + std::to_string(v.Type) + "):" + HexBytes(v.Data); break;
            }
            out += '\n';
        }
    }
    for (const auto& [folded, sub] : key.Subkeys)
        WriteKey(out, *sub, isRoot ? EscapeKeyName(sub->Name) : path + "\\" + EscapeKeyName(sub->Name), false);
}

std::string TextOf(const Root& root) {
    std::string out = std::string("; Lumora registry store: ") + root.Name + "\n";
    WriteKey(out, *root.Tree, "", true);
    return out;
}

Key* Descend(Key* key, const std::vector<std::string>& parts, bool create) {
    for (const std::string& part : parts) {
        std::string folded = Fold(part);
        auto it = key->Subkeys.find(folded);
        if (it == key->Subkeys.end()) {
            if (!create) return nullptr;
            auto fresh = std::make_unique<Key>();
            fresh->Name = part;
            it = key->Subkeys.emplace(folded, std::move(fresh)).first;
        }
        key = it->second.get();
    }
    return key;
}

bool ParseValueLine(const std::string& line, Value& v) {
    size_t pos = 0;
    if (line[0] == '@') {
        v.Name.clear();
        pos = 1;
    } else if (!ReadQuoted(line, pos, v.Name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=') return false;
    std::string data = line.substr(pos + 1);
    size_t p = 0;
    if (!data.empty() && data[0] == '"') {
        v.Type = REG_SZ;
        return ReadQuoted(data, p, v.Data);
    }
    if (data.rfind("expand:", 0) == 0) {
        v.Type = REG_EXPAND_SZ;
        p = 7;
        return ReadQuoted(data, p, v.Data);
    }
    if (data.rfind("dword:", 0) == 0) {
        v.Type = REG_DWORD;
        char* end = nullptr;
        unsigned long n = std::strtoul(data.c_str() + 6, &end, 16);
        v.Data = DwordData(static_cast<DWORD>(n));
        return end && *end == '\0' && data.size() > 6;
    }
    if (data.rfind("hex:", 0) == 0) {
        v.Type = REG_BINARY;
        return ParseHexBytes(data.substr(4), v.Data);
    }
    if (data.rfind("hex(", 0) == 0) {
        size_t close = data.find("):");
        if (close == std::string::npos) return false;
        v.Type = static_cast<DWORD>(std::strtoul(data.c_str() + 4, nullptr, 10));
        return ParseHexBytes(data.substr(close + 2), v.Data);
    }
    return false;
}

void Load(Root& root) {
    root.Tree = std::make_unique<Key>();
    root.File = RegistryFolder() + root.Name + ".reg";
    root.Stamp = FileStampOf(root.File);
    root.Loaded = true;
    root.Dirty = false;
    std::ifstream in(root.File, std::ios::binary);
    if (!in) return;
    Key* current = nullptr;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[' && line.back() == ']') {
            std::vector<std::string> parts;
            for (const std::string& p : SplitPath(line.substr(1, line.size() - 2))) parts.push_back(UnescapeKeyName(p));
            current = Descend(root.Tree.get(), parts, true);
            continue;
        }
        Value v;
        if (!current || !ParseValueLine(line, v)) continue;
        v.Folded = Fold(v.Name);
        if (Value* old = current->FindValue(v.Folded))
            *old = std::move(v);
        else
            current->Values.push_back(std::move(v));
    }
}

Root* FindRoot(Store& store, HKEY handle) {
    for (Root& r : store.Roots)
        if (r.Handle == handle) return &r;
    return nullptr;
}

// The root, read when first used and read again when its file changed while nothing is pending.
Root* Fresh(Store& store, HKEY handle) {
    Root* root = FindRoot(store, handle);
    if (!root) return nullptr;
    if (!root->Loaded || (!root->Dirty && !(FileStampOf(root->File) == root->Stamp))) Load(*root);
    return root;
}

bool FlushLocked(Store& store) {
    bool ok = true;
    for (Root& root : store.Roots) {
        if (!root.Loaded || !root.Dirty) continue;
        ForceDirectories(ExtractFilePath(root.File));
        if (WriteFileAtomically(root.File, TextOf(root))) {
            root.Dirty = false;
            root.Stamp = FileStampOf(root.File);
        } else {
            ok = false;
        }
    }
    return ok;
}

void FlushAtExit() {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    FlushLocked(store);
}

[[noreturn]] void SetDataFailed(const std::string& name) {
    throw ERegistryException("Failed to set data for '" + name + "'");
}
[[noreturn]] void GetDataFailed(const std::string& name) {
    throw ERegistryException("Failed to get data for '" + name + "'");
}
[[noreturn]] void InvalidDataType(const std::string& name) {
    throw ERegistryException("Invalid data type for '" + name + "'");
}

TRegDataType DataTypeOf(DWORD type) {
    switch (type) {
        case REG_SZ: return rdString;
        case REG_EXPAND_SZ: return rdExpandString;
        case REG_DWORD: return rdInteger;
        case REG_BINARY: return rdBinary;
        default: return rdUnknown;
    }
}

Integer DataSizeOf(const Value& v) {
    bool text = v.Type == REG_SZ || v.Type == REG_EXPAND_SZ;
    return static_cast<Integer>(v.Data.size()) + (text ? 1 : 0);
}

std::string Bytes(const void* p, size_t n) {
    return std::string(static_cast<const char*>(p), n);
}

}  // namespace

std::string RegistryFolder() {
    std::string folder;
    if (const char* dir = std::getenv("LUMORA_REGISTRY_DIR"); dir && *dir) {
        folder = dir;
    } else {
        const char* config = std::getenv("XDG_CONFIG_HOME");
        if (config && *config) {
            folder = std::string(config) + "/Qorvex";
        } else {
            const char* home = std::getenv("HOME");
            folder = std::string(home ? home : "") + "/.config/Qorvex";
        }
    }
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string RegistryFileName(HKEY Root) {
    const ::Root* root = FindRoot(TheStore(), Root);
    return root ? RegistryFolder() + root->Name + ".reg" : std::string();
}

bool RegistryFlush() {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    return FlushLocked(store);
}

void RegistryUnload() {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    FlushLocked(store);
    for (Root& root : store.Roots) {
        root.Tree.reset();
        root.Loaded = false;
        root.Dirty = false;
    }
}

// ---- TRegistry ---------------------------------------------------------------------------------

namespace {

// The key a TRegistry has open, found again by its path each time (it may have been deleted).
Key* OpenKeyOf(Store& store, HKEY rootHandle, HKEY current, const std::string& path) {
    if (!current) return nullptr;
    Root* root = Fresh(store, rootHandle);
    if (!root) return nullptr;
    return Descend(root->Tree.get(), SplitPath(path), false);
}

}  // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(LongWord AAccess) : access_(AAccess) {}

TRegistry::~TRegistry() {
    CloseKey();
}

void TRegistry::SetRootKey(HKEY Value) {
    if (Value == rootKey_) return;
    CloseKey();
    rootKey_ = Value;
}

std::string TRegistry::ResolvePath(const std::string& Key) const {
    bool absolute = !Key.empty() && Key[0] == '\\';
    std::vector<std::string> parts;
    if (!absolute && currentKey_) parts = SplitPath(currentPath_);
    for (std::string& p : SplitPath(Key)) parts.push_back(std::move(p));
    return JoinPath(parts);
}

bool TRegistry::OpenPath(std::string& Path) const {
    if (!currentKey_) return false;
    Path = currentPath_;
    return true;
}

bool TRegistry::OpenWith(const std::string& KeyName, bool CanCreate, bool ReadOnly) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    bool relative = KeyName.empty() || KeyName[0] != '\\';
    if (relative && currentKey_ && !OpenKeyOf(store, rootKey_, currentKey_, currentPath_)) return false;
    Root* root = Fresh(store, rootKey_);
    if (!root) return false;
    std::string path = ResolvePath(KeyName);
    Key* key = Descend(root->Tree.get(), SplitPath(path), false);
    if (!key && CanCreate) {
        key = Descend(root->Tree.get(), SplitPath(path), true);
        root->Dirty = true;
    }
    if (!key) return false;
    currentKey_ = store.NextHandle++;
    currentPath_ = path;
    readOnly_ = ReadOnly;
    return true;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
    bool readOnly = (access_ & KEY_SET_VALUE) == 0;
    return OpenWith(Key, CanCreate, readOnly);
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
    return OpenWith(Key, false, true);
}

void TRegistry::CloseKey() {
    if (!currentKey_) return;
    currentKey_ = 0;
    currentPath_.clear();
    readOnly_ = false;
    RegistryFlush();
}

bool TRegistry::CreateKey(const std::string& KeyName) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    bool relative = KeyName.empty() || KeyName[0] != '\\';
    Root* root = Fresh(store, rootKey_);
    std::vector<std::string> parts = SplitPath(ResolvePath(KeyName));
    if (!root || parts.empty() || (relative && currentKey_ && !OpenKeyOf(store, rootKey_, currentKey_, currentPath_)))
        throw ERegistryException("Failed to create key " + KeyName);
    if (!Descend(root->Tree.get(), parts, false)) {
        Descend(root->Tree.get(), parts, true);
        root->Dirty = true;
    }
    return true;
}

bool TRegistry::DeleteKey(const std::string& KeyName) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Root* root = Fresh(store, rootKey_);
    std::vector<std::string> parts = SplitPath(ResolvePath(KeyName));
    if (!root || parts.empty()) return false;
    std::string last = Fold(parts.back());
    parts.pop_back();
    Key* parent = Descend(root->Tree.get(), parts, false);
    if (!parent || !parent->Subkeys.erase(last)) return false;
    root->Dirty = true;
    return true;
}

bool TRegistry::KeyExists(const std::string& KeyName) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Root* root = Fresh(store, rootKey_);
    bool relative = KeyName.empty() || KeyName[0] != '\\';
    if (!root || (relative && currentKey_ && !OpenKeyOf(store, rootKey_, currentKey_, currentPath_))) return false;
    return Descend(root->Tree.get(), SplitPath(ResolvePath(KeyName)), false) != nullptr;
}

bool TRegistry::HasSubKeys() {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_);
    return key && !key->Subkeys.empty();
}

void TRegistry::GetKeyNames(TStrings* Strings) {
    std::vector<std::string> names;
    {
        Store& store = TheStore();
        std::lock_guard<std::mutex> lock(store.Mutex);
        if (Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_))
            for (const auto& [folded, sub] : key->Subkeys) names.push_back(sub->Name);
    }
    Strings->BeginUpdate();
    Strings->Clear();
    for (const std::string& n : names) Strings->Add(n);
    Strings->EndUpdate();
}

void TRegistry::GetValueNames(TStrings* Strings) {
    std::vector<std::string> names;
    {
        Store& store = TheStore();
        std::lock_guard<std::mutex> lock(store.Mutex);
        if (Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_))
            for (const Value& v : key->Values) names.push_back(v.Name);
    }
    Strings->BeginUpdate();
    Strings->Clear();
    for (const std::string& n : names) Strings->Add(n);
    Strings->EndUpdate();
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& Info) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_);
    Info = TRegKeyInfo{};
    if (!key) return false;
    Info.NumSubKeys = static_cast<Integer>(key->Subkeys.size());
    for (const auto& [folded, sub] : key->Subkeys)
        Info.MaxSubKeyLen = std::max(Info.MaxSubKeyLen, static_cast<Integer>(sub->Name.size()));
    Info.NumValues = static_cast<Integer>(key->Values.size());
    for (const Value& v : key->Values) {
        Info.MaxValueLen = std::max(Info.MaxValueLen, static_cast<Integer>(v.Name.size()));
        Info.MaxDataLen = std::max(Info.MaxDataLen, DataSizeOf(v));
    }
    return true;
}

bool TRegistry::ValueExists(const std::string& Name) {
    TRegDataInfo info;
    return GetDataInfo(Name, info);
}

bool TRegistry::DeleteValue(const std::string& Name) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_);
    if (!key || readOnly_) return false;
    std::string folded = Fold(Name);
    size_t before = key->Values.size();
    std::erase_if(key->Values, [&](const Value& v) { return v.Folded == folded; });
    if (key->Values.size() == before) return false;
    FindRoot(store, rootKey_)->Dirty = true;
    return true;
}

void TRegistry::RenameValue(const std::string& OldName, const std::string& NewName) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_);
    if (!key || readOnly_ || key->FindValue(Fold(NewName))) return;
    if (Value* v = key->FindValue(Fold(OldName))) {
        v->Name = NewName;
        v->Folded = Fold(NewName);
        FindRoot(store, rootKey_)->Dirty = true;
    }
}

bool TRegistry::GetDataInfo(const std::string& ValueName, TRegDataInfo& Info) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Info = TRegDataInfo{};
    Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_);
    Value* v = key ? key->FindValue(Fold(ValueName)) : nullptr;
    if (!v) return false;
    Info.RegData = DataTypeOf(v->Type);
    Info.DataSize = DataSizeOf(*v);
    return true;
}

Integer TRegistry::GetDataSize(const std::string& ValueName) {
    TRegDataInfo info;
    return GetDataInfo(ValueName, info) ? info.DataSize : -1;
}

TRegDataType TRegistry::GetDataType(const std::string& ValueName) {
    TRegDataInfo info;
    return GetDataInfo(ValueName, info) ? info.RegData : rdUnknown;
}

void TRegistry::WriteValue(const std::string& Name, DWORD Type, const std::string& Data) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_);
    if (!key || readOnly_) SetDataFailed(Name);
    std::string folded = Fold(Name);
    Value* v = key->FindValue(folded);
    if (!v) {
        key->Values.push_back(Value{Name, folded, Type, {}});
        v = &key->Values.back();
    }
    v->Type = Type;
    v->Data = Data;
    FindRoot(store, rootKey_)->Dirty = true;
}

// The data of a value of the given type; the errors of the typed reads otherwise. The 8-byte
// forms (EightBytes) must be exactly that long.
std::string TRegistry::ReadTyped(const std::string& Name, DWORD Type, bool EightBytes) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_);
    Value* v = key ? key->FindValue(Fold(Name)) : nullptr;
    if (!v) GetDataFailed(Name);
    if (v->Type != Type) InvalidDataType(Name);
    if (EightBytes) {
        if (v->Data.size() > 8) GetDataFailed(Name);
        if (v->Data.size() < 8) InvalidDataType(Name);
    }
    return v->Data;
}

std::string TRegistry::ReadString(const std::string& Name) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_);
    Value* v = key ? key->FindValue(Fold(Name)) : nullptr;
    if (!v || v->Data.empty()) return "";
    if (v->Type != REG_SZ && v->Type != REG_EXPAND_SZ) InvalidDataType(Name);
    size_t zero = v->Data.find('\0');
    return zero == std::string::npos ? v->Data : v->Data.substr(0, zero);
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
    WriteValue(Name, REG_SZ, Value);
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value) {
    WriteValue(Name, REG_EXPAND_SZ, Value);
}

Integer TRegistry::ReadInteger(const std::string& Name) {
    return static_cast<Integer>(DwordOf(ReadTyped(Name, REG_DWORD, false)));
}

void TRegistry::WriteInteger(const std::string& Name, Integer Value) {
    WriteValue(Name, REG_DWORD, DwordData(static_cast<DWORD>(Value)));
}

bool TRegistry::ReadBool(const std::string& Name) {
    return ReadInteger(Name) != 0;
}

void TRegistry::WriteBool(const std::string& Name, bool Value) {
    WriteInteger(Name, Value ? 1 : 0);
}

Double TRegistry::ReadFloat(const std::string& Name) {
    std::string data = ReadTyped(Name, REG_BINARY, true);
    Double v;
    std::memcpy(&v, data.data(), sizeof v);
    return v;
}

void TRegistry::WriteFloat(const std::string& Name, Double Value) {
    WriteValue(Name, REG_BINARY, Bytes(&Value, sizeof Value));
}

TDateTime TRegistry::ReadDate(const std::string& Name) {
    return ReadFloat(Name);
}
void TRegistry::WriteDate(const std::string& Name, TDateTime Value) {
    WriteFloat(Name, Value);
}
TDateTime TRegistry::ReadTime(const std::string& Name) {
    return ReadFloat(Name);
}
void TRegistry::WriteTime(const std::string& Name, TDateTime Value) {
    WriteFloat(Name, Value);
}
TDateTime TRegistry::ReadDateTime(const std::string& Name) {
    return ReadFloat(Name);
}
void TRegistry::WriteDateTime(const std::string& Name, TDateTime Value) {
    WriteFloat(Name, Value);
}

Currency TRegistry::ReadCurrency(const std::string& Name) {
    std::string data = ReadTyped(Name, REG_BINARY, true);
    Currency v;
    std::memcpy(&v, data.data(), sizeof v);
    return v;
}

void TRegistry::WriteCurrency(const std::string& Name, Currency Value) {
    WriteValue(Name, REG_BINARY, Bytes(&Value, sizeof Value));
}

Integer TRegistry::ReadBinaryData(const std::string& Name, void* Buffer, Integer BufSize) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.Mutex);
    Key* key = OpenKeyOf(store, rootKey_, currentKey_, currentPath_);
    Value* v = key ? key->FindValue(Fold(Name)) : nullptr;
    if (!v) GetDataFailed(Name);
    TRegDataType type = DataTypeOf(v->Type);
    if (type != rdBinary && type != rdUnknown) InvalidDataType(Name);
    if (static_cast<Integer>(v->Data.size()) > BufSize) GetDataFailed(Name);
    if (!v->Data.empty()) std::memcpy(Buffer, v->Data.data(), v->Data.size());
    return static_cast<Integer>(v->Data.size());
}

void TRegistry::WriteBinaryData(const std::string& Name, const void* Buffer, Integer BufSize) {
    WriteValue(Name, REG_BINARY, Bytes(Buffer, static_cast<size_t>(std::max(BufSize, 0))));
}

// ---- TRegIniFile -------------------------------------------------------------------------------

TRegIniFile::TRegIniFile(const std::string& FileName) : TRegIniFile(FileName, KEY_ALL_ACCESS) {}

TRegIniFile::TRegIniFile(const std::string& FileName, LongWord AAccess) : TRegistry(AAccess), fileName_(FileName) {
    OpenKey(FileName, true);
}

template <class F>
bool TRegIniFile::InSection(const std::string& Section, bool Create, F&& Body) {
    if (Section.empty()) {
        Body();
        return true;
    }
    std::string home;
    if (!OpenPath(home)) return false;
    if (!OpenKey(Section, Create)) return false;
    try {
        Body();
    } catch (...) {
        OpenKey("\\" + home, false);
        throw;
    }
    OpenKey("\\" + home, false);
    return true;
}

std::string TRegIniFile::ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) {
    std::string result = Default;
    InSection(Section, false, [&] {
        if (ValueExists(Ident)) result = TRegistry::ReadString(Ident);
    });
    return result;
}

Integer TRegIniFile::ReadInteger(const std::string& Section, const std::string& Ident, Integer Default) {
    Integer result = Default;
    InSection(Section, false, [&] {
        if (!ValueExists(Ident)) return;
        if (GetDataType(Ident) == rdString)
            result = StrToIntDef(TRegistry::ReadString(Ident), Default);
        else
            result = TRegistry::ReadInteger(Ident);
    });
    return result;
}

bool TRegIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
    if (!InSection(Section, true, [&] { TRegistry::WriteString(Ident, Value); }))
        throw ERegistryException("Failed to set data for '" + Ident + "'");
}

void TRegIniFile::WriteInteger(const std::string& Section, const std::string& Ident, Integer Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

void TRegIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
    WriteInteger(Section, Ident, Value ? 1 : 0);
}

void TRegIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
    if (!InSection(Section, false, [&] { GetValueNames(Strings); })) Strings->Clear();
}

void TRegIniFile::ReadSections(TStrings* Strings) {
    GetKeyNames(Strings);
}

void TRegIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
    Strings->BeginUpdate();
    Strings->Clear();
    InSection(Section, false, [&] {
        TStringList names;
        GetValueNames(&names);
        for (int i = 0; i < names.GetCount(); ++i)
            Strings->Add(names.Get(i) + "=" + TRegistry::ReadString(names.Get(i)));
    });
    Strings->EndUpdate();
}

void TRegIniFile::EraseSection(const std::string& Section) {
    TRegistry::DeleteKey(Section);
}

void TRegIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
    InSection(Section, false, [&] { DeleteValue(Ident); });
}
