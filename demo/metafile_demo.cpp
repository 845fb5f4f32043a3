// The metafile player on the metafile fixtures: "metafile_demo --png DIR" saves every metafile of
// the fixture folder (or of the folder given after DIR) as NAME.png at its own size and as
// NAME-2x.png at twice that (NAME: the file name with "_" before its extension), on white.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/backend.h"
#include "framework/exceptions.h"
#include "framework/graphics.h"

namespace {

bool SaveAt(TMetafile& Metafile, int Scale, const std::string& File) {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.GetCanvas()->GetBrush()->SetColor(clWhite);
    b.SetSize(std::max(1, Metafile.GetWidth() * Scale), std::max(1, Metafile.GetHeight() * Scale));
    b.GetCanvas()->StretchDraw(TRect(0, 0, b.GetWidth(), b.GetHeight()), &Metafile);
    const bool ok = SaveBitmapAsPng(&b, File);
    std::printf("%s %s (%d x %d)\n", ok ? "saved" : "could not save", File.c_str(), b.GetWidth(), b.GetHeight());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out, folder = LUMORA_METAFILE_FIXTURES;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--png" && i + 1 < argc) out = argv[++i];
        else folder = argv[i];
    }
    if (out.empty()) {
        std::fprintf(stderr, "usage: metafile_demo --png DIR [FOLDER]\n");
        return 1;
    }
    EnsureBackend();
    std::filesystem::create_directories(out);
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        const std::string ext = e.path().extension().string();
        if (ext == ".wmf" || ext == ".emf") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    bool ok = !files.empty();
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        TMetafile m;
        try {
            m.LoadFromBytes(bytes.data(), bytes.size());
        } catch (const EInvalidGraphic&) {
            std::printf("not a metafile: %s\n", f.c_str());
            ok = false;
            continue;
        }
        const std::string base =
            (std::filesystem::path(out) / f.stem()).string() + "_" + f.extension().string().substr(1);
        ok = SaveAt(m, 1, base + ".png") && ok;
        ok = SaveAt(m, 2, base + "-2x.png") && ok;
    }
    return ok ? 0 : 1;
}
