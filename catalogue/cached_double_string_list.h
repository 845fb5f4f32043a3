#pragma once
// A text value per key, the latest keys in memory and every key in an INI file: the main window
// keeps image dimension texts ("640x480x24bit") in one, keyed by MakeCacheKey of the file's name
// and date, so that image headers are read once per file version.
//
// Memory holds the keys and values upper-cased, oldest first, at most MemoryCacheCount of them.
// The file "CacheDirectory + CacheFilename" holds every key in section "Dimensions_Cache" with the
// value as given. One INI object serves the cache for its life; the file is replaced atomically
// after a batch of additions (FlushEvery, or as many as the file holds when that is more, so that
// rewriting a large file stays a small share of the work) and when the cache is
// freed or moved, so a crash loses cache entries only. File errors raise to the caller.

#include <deque>
#include <memory>
#include <string>

#include "framework/component.h"

class TIniFile;

class TCachedDoubleStringList : public TComponent {
    LUMORA_CLASS(TCachedDoubleStringList, TComponent)
public:
    static constexpr Integer FlushEvery = 500;

    explicit TCachedDoubleStringList(TComponent* AOwner);
    ~TCachedDoubleStringList() override;

    // Kept with a trailing "/" ("" stays "").
    const std::string& GetCacheDirectory() const { return FCacheDirectory; }
    void SetCacheDirectory(const std::string& Value);
    const std::string& GetCacheFilename() const { return FCacheFilename; }
    void SetCacheFilename(const std::string& Value);
    Integer GetMemoryCacheCount() const { return FMemoryCacheCount; }
    void SetMemoryCacheCount(Integer Value) { FMemoryCacheCount = Value; }

    // Remembers Value for Key in memory and in the file (replacing an older value there).
    void AddValue(const std::string& Key, const std::string& Value);
    // From memory (upper case) when it is there, else from the file (as stored); "" when neither
    // has it.
    std::string GetValue(const std::string& Key);
    std::string FindInMemory(const std::string& Key) const;
    std::string ReadFromFile(const std::string& Key);
    // Writes the pending additions to the file.
    void Flush();

private:
    TIniFile* File();
    void CloseFile();

    std::string FCacheDirectory;
    std::string FCacheFilename = "~ImgeDim.che";
    Integer FMemoryCacheCount = 1000;
    std::deque<std::string> FKeys;
    std::deque<std::string> FValues;
    std::unique_ptr<TIniFile> FFile;
    Integer FPending = 0;
    Integer FFileEntries = 0;  // about how many entries the file holds
};
