#include "catalogue/thumb_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "catalogue/img_functions.h"
#include "catalogue/lm_types.h"
#include "framework/atomic_file.h"
#include "framework/exceptions.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/stream.h"
#include "framework/sysutils.h"
#include "imaging/formats/imago_io.h"
#include "platform/file_copy.h"

namespace {

bool HasLineBreak(const std::string& S) {
    return S.find_first_of("\r\n") != std::string::npos;
}

bool IsRegularFile(const std::string& FileName) {
    struct stat st {};
    return stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A cache file is written whole under a temporary name beside it and renamed over the name; it
// is not flushed to the disk first as a user's file is (a cache file lost in a crash is only made
// again).
bool WriteCacheFile(const std::string& FileName, const char* Data, size_t Size) {
    static std::atomic<unsigned> counter{0};
    const std::string temp =
        FileName + ".~" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1)) + ".tmp";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < Size) {
        const ssize_t n = write(fd, Data + done, Size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    const bool written = close(fd) == 0 && done == Size;
    if (written && rename(temp.c_str(), FileName.c_str()) == 0) return true;
    unlink(temp.c_str());
    return false;
}

// Keeps a bitmap attached to an I/O component for one call.
class TIOAttachment {
public:
    TIOAttachment(TImagoIO* IO, TBitmap* Bitmap) : FIO(IO) { IO->SetAttachedBitmap(Bitmap); }
    ~TIOAttachment() { FIO->SetAttachedBitmap(nullptr); }
    TIOAttachment(const TIOAttachment&) = delete;
    TIOAttachment& operator=(const TIOAttachment&) = delete;

private:
    TImagoIO* FIO;
};

}  // namespace

// ---- memory ring -------------------------------------------------------------------------------

TThumbMemoryCache::TThumbMemoryCache() : FKeys(RingSize), FBitmaps(RingSize) {}
TThumbMemoryCache::~TThumbMemoryCache() = default;

void TThumbMemoryCache::SetMaxCount(Integer Value) {
    FMaxCount = std::clamp<Integer>(Value, 0, RingSize);
    if (FPosition >= FMaxCount) FPosition = 0;
}

Integer TThumbMemoryCache::Find(const std::string& FullName) const {
    if (FMaxCount == 0 || FullName.empty()) return -1;
    for (Integer i = 0; i < FMaxCount; ++i)
        if (FKeys[size_t(i)] == FullName) return i;
    return -1;
}

TBitmap* TThumbMemoryCache::Peek(Integer Slot) const {
    if (FMaxCount == 0 || Slot < 0 || Slot >= FMaxCount || FKeys[size_t(Slot)].empty()) return nullptr;
    return FBitmaps[size_t(Slot)].get();
}

bool TThumbMemoryCache::Get(TBitmap* Bitmap, Integer Slot) const {
    TBitmap* kept = Peek(Slot);
    if (!kept) return false;
    try {
        Bitmap->Assign(kept);
        return true;
    } catch (...) {
        return false;
    }
}

void TThumbMemoryCache::Put(std::unique_ptr<TBitmap> Graphic, const std::string& FullName) {
    if (FMaxCount == 0 || !Graphic || FullName.empty() || Find(FullName) >= 0) return;
    const size_t slot = size_t(FPosition);
    FKeys[slot] = FullName;
    FBitmaps[slot] = std::move(Graphic);
    if (++FPosition >= FMaxCount) FPosition = 0;
}

void TThumbMemoryCache::Add(TBitmap* Graphic, const std::string& FullName) {
    if (FMaxCount == 0 || FullName.empty() || Find(FullName) >= 0) return;
    auto copy = std::make_unique<TBitmap>();
    try {
        copy->Assign(Graphic);
    } catch (...) {
        FKeys[size_t(FPosition)].clear();
        FBitmaps[size_t(FPosition)].reset();
        return;
    }
    Put(std::move(copy), FullName);
}

void TThumbMemoryCache::Remove(const std::string& FullName) {
    const Integer slot = Find(FullName);
    if (slot < 0) return;
    FKeys[size_t(slot)].clear();
    FBitmaps[size_t(slot)].reset();
}

void TThumbMemoryCache::Clear() {
    for (auto& key : FKeys) key.clear();
    for (auto& bitmap : FBitmaps) bitmap.reset();
    FPosition = 0;
}

// ---- thumbnail files ---------------------------------------------------------------------------

std::string TThumbDiskNaming::FileFor(const std::string& FullName, TDateTime Date) const {
    const char* suffix = JPEG ? (NoExtension ? "e" : ".jpg") : (NoExtension ? "b" : ".bmp");
    return Folder + "~x" + IntToStr(SizeDifference) + MakeCacheKey(FullName, Date) + suffix;
}

TDateTime ThumbSourceDate(const std::string& FullName) {
    TDateTime date = 0;
    if (!FileAge(FullName, date)) return 0;
    return date;
}

bool WriteThumbnailFile(TImgFunctions* Img, TBitmap* Bitmap, const std::string& FileName, bool AsJPEG, Integer Quality,
                        bool Flush) {
    try {
        TMemoryStream content;
        if (AsJPEG) {
            TImagoIO* io = Img->GetIO();
            TIOAttachment attached(io, Bitmap);
            io->GetParams()->JPEGQuality = Quality;
            io->SaveToStreamJPEG(&content);
            if (io->GetAborting()) return false;
        } else {
            Bitmap->SaveToStream(&content);
        }
        const auto* data = static_cast<const char*>(content.GetMemory());
        const size_t size = size_t(content.GetSize());
        return Flush ? WriteFileAtomically(FileName, std::string_view(data, size))
                     : WriteCacheFile(FileName, data, size);
    } catch (...) {
        return false;
    }
}

bool ReadThumbnailFile(TImgFunctions* Img, TBitmap* Bitmap, const std::string& FileName) {
    try {
        if (!IsRegularFile(FileName)) return false;
        char magic[2] = {};
        {
            std::ifstream in(FileName, std::ios::binary);
            if (!in.read(magic, 2)) return false;
        }
        if (magic[0] == 'B' && magic[1] == 'M') {
            Bitmap->LoadFromFile(FileName);
            return !Bitmap->GetEmpty();
        }
        TImagoIO* io = Img->GetIO();
        TIOAttachment attached(io, Bitmap);
        io->GetParams()->JPEGScale = 1;
        io->LoadFromFileJPEG(FileName);
        return !io->GetAborting() && !Bitmap->GetEmpty();
    } catch (...) {
        return false;
    }
}

// ---- disk cache --------------------------------------------------------------------------------

void TThumbDiskCache::SetDirectory(const std::string& Value) {
    if (Value.empty()) {
        FFolder.clear();
        FIndex.clear();
        return;
    }
    if (!DirectoryExists(Value)) throw Exception("Directory does no exist!");
    const std::string folder = IncludeTrailingPathDelimiter(Value);
    if (folder == FFolder) return;
    FFolder = folder;
    FAdditions = 0;
    LoadIndex();
}

Integer TThumbDiskCache::Find(const std::string& FullName) const {
    if (!Enabled()) return -1;
    auto it = std::find(FIndex.begin(), FIndex.end(), FullName);
    return it == FIndex.end() ? -1 : Integer(it - FIndex.begin());
}

std::string TThumbDiskCache::FileAt(Integer Position) const {
    if (Position < 0 || Position >= Integer(FIndex.size())) return {};
    const std::string& name = FIndex[size_t(Position)];
    return Naming().FileFor(name, ThumbSourceDate(name));
}

void TThumbDiskCache::Touch(Integer Position) {
    if (Position < 0 || Position >= Integer(FIndex.size())) return;
    std::string name = std::move(FIndex[size_t(Position)]);
    FIndex.erase(FIndex.begin() + Position);
    FIndex.push_back(std::move(name));
}

bool TThumbDiskCache::Load(TImgFunctions* Img, TBitmap* Bitmap, Integer Position) {
    if (!Enabled() || Position < 0 || Position >= Integer(FIndex.size())) return false;
    if (!ReadThumbnailFile(Img, Bitmap, FileAt(Position))) return false;
    Touch(Position);
    return true;
}

void TThumbDiskCache::Store(TImgFunctions* Img, TBitmap* Graphic, const std::string& FullName) {
    if (!Enabled() || HasLineBreak(FullName)) return;
    if (WriteThumbnailFile(Img, Graphic, Naming().FileFor(FullName, ThumbSourceDate(FullName)), FJPEG, 90))
        Stored(FullName);
}

void TThumbDiskCache::Stored(const std::string& FullName) {
    if (!Enabled() || FullName.empty() || HasLineBreak(FullName)) return;
    std::erase(FIndex, FullName);
    FIndex.push_back(FullName);
    if (FMaxCount != NoLimit && Integer(FIndex.size()) > FMaxCount) DeleteEntry(0);
    if (++FAdditions >= SaveEvery) SaveIndex();
}

void TThumbDiskCache::DeleteEntry(Integer Position) {
    if (Position < 0 || Position >= Integer(FIndex.size())) return;
    DeleteFile(FileAt(Position));
    FIndex.erase(FIndex.begin() + Position);
}

void TThumbDiskCache::Clear() {
    for (Integer i = Integer(FIndex.size()) - 1; i >= 0; --i) DeleteEntry(i);
    FIndex.clear();
    if (!FFolder.empty()) {
        // Files of sources changed or gone since they were cached are in no entry.
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(FFolder, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("~x", 0) == 0 && entry.is_regular_file(ec)) DeleteFile(entry.path().string());
        }
    }
    SaveIndex();
}

void TThumbDiskCache::SaveIndex() {
    FAdditions = 0;
    if (FFolder.empty()) return;
    const std::string file = FFolder + IndexName;
    if (FIndex.empty()) {
        if (FileExists(file)) DeleteFile(file);
        return;
    }
    std::string text;
    for (const std::string& name : FIndex) text += name + "\n";
    WriteFileAtomically(file, text);
}

bool TThumbDiskCache::LoadIndex() {
    const std::string file = FFolder + IndexName;
    FIndex.clear();
    if (FFolder.empty() || !FileExists(file)) return true;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || std::find(FIndex.begin(), FIndex.end(), line) != FIndex.end()) continue;
        FIndex.push_back(line);
    }
    if (in.bad()) {
        FIndex.clear();
        return false;
    }
    return true;
}

// ---- permanent thumbnails ----------------------------------------------------------------------

void TPermanentThumbs::SetDirectory(const std::string& Value) {
    const std::string folder = Value.empty() ? std::string() : IncludeTrailingPathDelimiter(Value);
    if (folder == FFolder) return;
    FFolder = folder;
    FPresent = !FFolder.empty() && FileExists(FFolder + InfoName);
}

std::string TPermanentThumbs::NameFor(const std::string& FullName, bool WithFolder) const {
    return (WithFolder ? FFolder : std::string()) + "x" + MakeCacheKey(FullName, 0) + ".jpg";
}

std::string TPermanentThumbs::FileFor(const std::string& FullName) const {
    if (!FPresent) return {};
    std::string file = NameFor(FullName, true);
    return FileExists(file) ? file : std::string();
}

bool TPermanentThumbs::Load(TImgFunctions* Img, TBitmap* Graphic, const std::string& FullName) const {
    const std::string file = FileFor(FullName);
    return !file.empty() && Img->LoadGraphic(Graphic, file, false);
}

bool TPermanentThumbs::Store(TImgFunctions* Img, TBitmap* Bitmap, const std::string& FullName) {
    if (FFolder.empty()) return false;
    if (!FPresent) {
        const std::string info =
            "This directory stores your permanent thumbnail, such as for video files and other formats that cannot "
            "be created automatically.  If you delete these files then only default thumbnails will show for these "
            "files.\nNOTE: If you delete all of these files then you SHOULD ALSO DELETE THIS FILE!\n";
        if (!WriteFileAtomically(FFolder + InfoName, info)) return false;
        FPresent = true;
    }
    return WriteThumbnailFile(Img, Bitmap, NameFor(FullName, true), true, 80, true);
}

void TPermanentThumbs::Delete(const std::string& FullName) {
    const std::string file = FileFor(FullName);
    if (!file.empty()) DeleteFile(file);
}

void TPermanentThumbs::Move(const std::string& OldName, const std::string& NewName) {
    const std::string file = FileFor(OldName);
    if (file.empty()) return;
    try {
        MoveFileTo(file, NameFor(NewName, true));
    } catch (...) {}
}
