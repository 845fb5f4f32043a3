#pragma once
// The thumbnail grid's three caches, keyed by a source file's full name compared exactly (so
// "A.jpg" and "a.jpg" in one folder keep their own thumbnails):
// - TThumbMemoryCache: a ring of fitted bitmaps in memory;
// - TThumbDiskCache: thumbnail files "~x<|W-H|><key><suffix>" in a folder, with the index
//   "~cche.idx" of their sources, least recently used first, one name a line;
// - TPermanentThumbs: "x<key>.jpg" files the user chose, in a folder that holds "info.txt".
// They run on the user-interface thread; the thumbnail workers only read and write the files
// whose names the caches give them (TThumbDiskCache::FileFor, TPermanentThumbs::FileFor).

#include <memory>
#include <string>
#include <vector>

#include "framework/types.h"

class TBitmap;
class TImgFunctions;

class TThumbMemoryCache {
public:
    static constexpr Integer RingSize = 100;
    TThumbMemoryCache();
    ~TThumbMemoryCache();

    // The part of the ring in use, 0 (off) to RingSize.
    Integer GetMaxCount() const { return FMaxCount; }
    void SetMaxCount(Integer Value);

    // The slot holding FullName, -1 when none or the cache is off.
    Integer Find(const std::string& FullName) const;
    // Copies the slot's bitmap; false when off or the slot is empty.
    bool Get(TBitmap* Bitmap, Integer Slot) const;
    // The slot's bitmap itself (null when empty), for drawing without a copy.
    TBitmap* Peek(Integer Slot) const;
    // Copies Graphic into the slot at the write position unless FullName is already kept.
    void Add(TBitmap* Graphic, const std::string& FullName);
    // Takes over Graphic (same rule as Add).
    void Put(std::unique_ptr<TBitmap> Graphic, const std::string& FullName);
    void Remove(const std::string& FullName);
    void Clear();

private:
    std::vector<std::string> FKeys;  // empty: a free slot
    std::vector<std::unique_ptr<TBitmap>> FBitmaps;
    Integer FPosition = 0;
    Integer FMaxCount = RingSize;
};

// The names of disk thumbnails for one folder and thumbnail size.
struct TThumbDiskNaming {
    std::string Folder;  // with a trailing delimiter
    Integer SizeDifference = 0;  // |ThumbnailWidth - ThumbnailHeight|
    bool JPEG = true;
    bool NoExtension = true;
    // "~x" + difference + MakeCacheKey(FullName, Date) + "e" / ".jpg" / "b" / ".bmp".
    std::string FileFor(const std::string& FullName, TDateTime Date) const;
};

// The source's last-write time, 0 when it cannot be read.
TDateTime ThumbSourceDate(const std::string& FullName);
// Writes a thumbnail file whole (a temporary file renamed over the name): JPEG at Quality or a
// bitmap file; flushed to the disk before the rename with Flush (a permanent thumbnail), not for a
// cache file. Safe on any thread with the caller's own TImgFunctions.
bool WriteThumbnailFile(TImgFunctions* Img, TBitmap* Bitmap, const std::string& FileName, bool AsJPEG, Integer Quality,
                        bool Flush = false);
// Reads a thumbnail file (a bitmap file, else through Img); false on any failure.
bool ReadThumbnailFile(TImgFunctions* Img, TBitmap* Bitmap, const std::string& FileName);

class TThumbDiskCache {
public:
    static constexpr Integer NoLimit = 9999;
    static constexpr Integer SaveEvery = 31;
    static constexpr const char* IndexName = "~cche.idx";

    const std::string& GetDirectory() const { return FFolder; }
    // Raises "Directory does no exist!" for a missing folder and keeps the old one; a different
    // folder (compared exactly) is taken and its index loaded. An empty value turns the cache off.
    void SetDirectory(const std::string& Value);
    Integer GetMaxCount() const { return FMaxCount; }
    void SetMaxCount(Integer Value) { FMaxCount = Value < 0 ? 0 : Value; }
    bool GetJPEG() const { return FJPEG; }
    void SetJPEG(bool Value) { FJPEG = Value; }
    bool GetNoExtension() const { return FNoExtension; }
    void SetNoExtension(bool Value) { FNoExtension = Value; }
    void SetSizeDifference(Integer Value) { FSizeDifference = Value; }
    bool Enabled() const { return FMaxCount != 0 && !FFolder.empty(); }
    TThumbDiskNaming Naming() const { return {FFolder, FSizeDifference, FJPEG, FNoExtension}; }

    // The index of source names, least recently used first.
    const std::vector<std::string>& GetIndex() const { return FIndex; }
    // Position of FullName in the index, -1 when absent or the cache is off.
    Integer Find(const std::string& FullName) const;
    // The cache file of the name at Position for the source's current date.
    std::string FileAt(Integer Position) const;
    // Loads the cached file and makes it the most recently used; false when off or on failure.
    bool Load(TImgFunctions* Img, TBitmap* Bitmap, Integer Position);
    // Makes the name at Position the most recently used.
    void Touch(Integer Position);
    // Writes the thumbnail's file, then records it (Stored).
    void Store(TImgFunctions* Img, TBitmap* Graphic, const std::string& FullName);
    // Records a file written for FullName: a name already in the index moves to the end (one
    // entry a name); a name with a line break is never recorded. Unless the limit is NoLimit,
    // the oldest entry goes (with its file) when the index is over the limit; every SaveEvery
    // additions the index is saved.
    void Stored(const std::string& FullName);
    void DeleteEntry(Integer Position);
    // Every entry and every "~x" file of the folder, then an empty index.
    void Clear();
    void SaveIndex();
    bool LoadIndex();

private:
    std::string FFolder;
    Integer FMaxCount = 500;
    bool FJPEG = true;
    bool FNoExtension = true;
    Integer FSizeDifference = 15;
    std::vector<std::string> FIndex;
    Integer FAdditions = 0;
};

class TPermanentThumbs {
public:
    static constexpr const char* InfoName = "info.txt";
    const std::string& GetDirectory() const { return FFolder; }
    // A different value is kept with a trailing delimiter; the cache is present when "info.txt"
    // is there.
    void SetDirectory(const std::string& Value);
    bool Present() const { return FPresent; }

    // "x" + MakeCacheKey(FullName, 0) + ".jpg", with the folder when WithFolder.
    std::string NameFor(const std::string& FullName, bool WithFolder) const;
    // The permanent file with its folder when the cache is present and the file exists, else "".
    std::string FileFor(const std::string& FullName) const;
    bool Load(TImgFunctions* Img, TBitmap* Graphic, const std::string& FullName) const;
    // Writes "info.txt" when the cache is not present yet, then the thumbnail (JPEG quality 80).
    bool Store(TImgFunctions* Img, TBitmap* Bitmap, const std::string& FullName);
    void Delete(const std::string& FullName);
    void Move(const std::string& OldName, const std::string& NewName);

private:
    std::string FFolder;
    bool FPresent = false;
};
