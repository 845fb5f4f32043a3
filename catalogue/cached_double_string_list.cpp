#include "catalogue/cached_double_string_list.h"

#include <algorithm>

#include "catalogue/lm_types.h"
#include "framework/ini_file.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"

namespace {
constexpr const char* kSection = "Dimensions_Cache";
}

TCachedDoubleStringList::TCachedDoubleStringList(TComponent* AOwner) : TComponent(AOwner) {}

TCachedDoubleStringList::~TCachedDoubleStringList() {
    try {
        CloseFile();
    } catch (const Exception&) {
        // The cache is only a cache: entries that cannot be written are read again next time.
    }
}

void TCachedDoubleStringList::SetCacheDirectory(const std::string& Value) {
    const std::string folder = AddTrailingDelimiter(Value);
    if (folder == FCacheDirectory) return;
    CloseFile();
    FCacheDirectory = folder;
}

void TCachedDoubleStringList::SetCacheFilename(const std::string& Value) {
    if (Value == FCacheFilename) return;
    CloseFile();
    FCacheFilename = Value;
}

TIniFile* TCachedDoubleStringList::File() {
    if (!FFile) {
        FFile = std::make_unique<TIniFile>(FCacheDirectory + FCacheFilename);
        TStringList keys;
        FFile->ReadSection(kSection, &keys);
        FFileEntries = keys.GetCount();
    }
    return FFile.get();
}

void TCachedDoubleStringList::Flush() {
    FFileEntries += FPending;
    FPending = 0;
    if (FFile) FFile->UpdateFile();
}

void TCachedDoubleStringList::CloseFile() {
    if (!FFile) return;
    std::unique_ptr<TIniFile> file = std::move(FFile);
    FPending = 0;
    file->UpdateFile();
}

void TCachedDoubleStringList::AddValue(const std::string& Key, const std::string& Value) {
    FKeys.push_back(UpperCase(Key));
    FValues.push_back(UpperCase(Value));
    while (Integer(FKeys.size()) > FMemoryCacheCount && !FKeys.empty()) {
        FKeys.pop_front();
        FValues.pop_front();
    }
    File()->WriteString(kSection, Key, Value);
    if (++FPending >= std::max(FlushEvery, FFileEntries)) Flush();
}

std::string TCachedDoubleStringList::GetValue(const std::string& Key) {
    std::string value = FindInMemory(Key);
    if (value.empty()) value = ReadFromFile(Key);
    return value;
}

std::string TCachedDoubleStringList::FindInMemory(const std::string& Key) const {
    const std::string key = UpperCase(Key);
    for (size_t i = 0; i < FKeys.size(); ++i)
        if (FKeys[i] == key) return FValues[i];
    return {};
}

std::string TCachedDoubleStringList::ReadFromFile(const std::string& Key) {
    return File()->ReadString(kSection, Key, "");
}
