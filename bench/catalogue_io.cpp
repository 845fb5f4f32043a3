// The catalogue's file work: listing a folder of 10,000 files into the folder table against
// find printing each file's name, size and date (target: ratio at most 1.5), 100,000 files against
// 10,000 (target: at most 12), and reading the properties of 1,000 pictures (JPEG, PNG, GIF, TIFF,
// BMP) against one "identify -ping" run over the same files (target: at most 1.0).
//
// build-bench/bin/catalogue_io [WORK_FOLDER]: the folders are made under WORK_FOLDER (the
// temporary folder by default) and removed at the end.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/peer_timing.h"
#include "catalogue/format_records.h"
#include "catalogue/img_functions.h"
#include "catalogue/temp_db.h"
#include "dbgrid/mem_data.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/sysutils.h"

namespace {

const char* const kExtensions[] = {".jpg", ".png", ".gif", ".avi", ".mp3", ".txt", ".doc", ".tif", ".bmp", ".xyz"};

// Count files of a few bytes each, named like a camera's.
void MakeFolder(const std::string& Folder, int Count) {
    std::filesystem::create_directories(Folder);
    for (int i = 0; i < Count; ++i) {
        const std::string name = Folder + "/IMG_" + IntToStr(100000 + i) + kExtensions[i % 10];
        const int fd = open(name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd >= 0) {
            const std::string data(std::size_t(i % 97), 'x');
            if (write(fd, data.data(), data.size()) < 0) std::perror(name.c_str());
            close(fd);
        }
    }
}

double TimeListing(TdmTempDB* Db, const std::string& Folder, int Runs) {
    return bench::Best(Runs, [&] {
        Db->ReopenTable(Db->memMode3);
        Db->ListDirectory(Folder, "*.*");
    });
}

double TimeFind(const std::string& Folder) {
    return bench::RunBest("find '" + Folder + "' -maxdepth 1 -type f -printf '%f %s %T@\\n' > /dev/null");
}

// 1,000 pictures of 640 x 480, 200 of each format, written by our codecs.
std::vector<std::string> MakePictures(TImgFunctions* F, const std::string& Folder) {
    std::filesystem::create_directories(Folder);
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(640, 480);
    for (int y = 0; y < 480; ++y) {
        auto* row = static_cast<Byte*>(b.ScanLine(y));
        for (int x = 0; x < 640; ++x) {
            row[3 * x] = Byte(x);
            row[3 * x + 1] = Byte(y);
            row[3 * x + 2] = Byte(x ^ y);
        }
    }
    std::vector<std::string> files;
    for (const char* ext : {".png", ".jpg", ".gif", ".tif", ".bmp"}) {
        const std::string first = Folder + "/p0" + ext;
        // GIF wants at most 256 colours: ImageMagick makes that one from the PNG.
        const bool written = std::string(ext) == ".gif"
                                 ? std::system(("convert '" + Folder + "/p0.png' -colors 256 '" + first + "'").c_str()) == 0
                                 : F->SaveBitmapToFile(&b, first, false, false, 85);
        if (!written) {
            std::fprintf(stderr, "%s could not be written\n", first.c_str());
            return {};
        }
        for (int i = 0; i < 200; ++i) {
            const std::string name = Folder + "/p" + IntToStr(i) + ext;
            if (i) std::filesystem::copy_file(first, name, std::filesystem::copy_options::overwrite_existing);
            files.push_back(name);
        }
    }
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string work = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    std::string root = work + "/lumora-catalogue-bench-XXXXXX";
    if (!mkdtemp(root.data())) return 1;

    FormatRecords()[lmImage].Extensions = "*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff;*.bmp;";
    FormatRecords()[lmText].Extensions = "*.txt;";
    FormatRecords()[lmSound].Extensions = "*.mp3;*.wav;";
    FormatRecords()[lmVideo].Extensions = "*.avi;*.mpg;";
    FormatRecords()[lmOffice].Extensions = "*.doc;*.xls;";

    TdmTempDB* db = Create<TdmTempDB>(nullptr);
    // The main window's rule, as the program lists.
    db->Hooks.IgnoreFileType = [](const std::string& Name) {
        return ExtractFileExt(Name) == ".LNK" || Name.find("_THB.") != std::string::npos;
    };
    const std::string small = root + "/small", large = root + "/large";
    MakeFolder(small, 10000);
    MakeFolder(large, 100000);
    TimeListing(db, small, 1);  // warm the caches
    const double ours10k = TimeListing(db, small, 5);
    const double find10k = TimeFind(small);
    const double ours100k = TimeListing(db, large, 3);
    const double find100k = TimeFind(large);
    const Integer rows = db->memMode3->GetRecordCount();

    bench::Report("listing_10000_files", ours10k, "find", find10k);
    std::printf("listing 10,000 files takes %.2f times find: target at most 1.5 %s\n", ours10k / find10k,
                find10k > 0 && ours10k / find10k <= 1.5 ? "met" : "NOT met");
    bench::Report("listing_100000_files_find", ours100k, "find", find100k);
    bench::Report("listing_100000_files", ours100k, "listing_10000_files", ours10k);
    std::printf("listing 100,000 files (%d rows) takes %.2f times 10,000: target at most 12 %s\n", rows,
                ours100k / ours10k, ours100k / ours10k <= 12 ? "met" : "NOT met");
    db->Free();
    std::fflush(stdout);

    auto* functions = new TImgFunctions(nullptr);
    const std::vector<std::string> files = MakePictures(functions, root + "/pictures");
    std::string command = "identify -ping";
    for (const std::string& f : files) command += " '" + f + "'";
    command += " > /dev/null";
    TImageProperties props;
    Integer read = 0;
    const double ours = bench::Best(3, [&] {
        read = 0;
        for (const std::string& f : files) read += functions->GetImageFileProperties(f, props) ? 1 : 0;
    });
    const double identify = bench::RunBest(command);
    functions->Free();
    bench::Report("properties_1000_pictures", ours, "identify_ping", identify);
    std::printf("properties of 1,000 pictures (%d read) take %.2f times identify -ping: target at most 1.0 %s\n", read,
                identify > 0 ? ours / identify : 0.0, identify > 0 && ours / identify <= 1.0 ? "met" : "NOT met");

    std::filesystem::remove_all(root);
    return 0;
}
