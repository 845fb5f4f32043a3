#include "imaging/formats/format_registry.h"

#include "framework/sysutils.h"

namespace {

struct TRegistry {
    TImgFileFormatList list;
    bool started = false;
};

TRegistry& Registry() {
    static TRegistry r;
    return r;
}

}  // namespace

TImgFileFormatList& ImgFileFormats() {
    TRegistry& r = Registry();
    if (!r.started) {
        r.started = true;
        RegisterBuiltinFormats();
    }
    return r.list;
}

void RegisterBuiltinFormats() {
    struct Builtin {
        Integer code;
        const char* name;
        const char* extensions;
    };
    static const Builtin kBuiltins[] = {
        {ioTIFF, "TIFF Bitmap", "TIF;TIFF"},
        {ioGIF, "CompuServe Bitmap", "GIF"},
        {ioJPEG, "JPEG Bitmap", "JPG;JPEG;JPE"},
        {ioPCX, "PaintBrush", "PCX"},
        {ioBMP, "Windows Bitmap", "BMP;DIB;RLE"},
        {ioICO, "Windows Icon", "ICO"},
        {ioCUR, "Windows Cursor", "CUR"},
        {ioPNG, "Portable Network Graphics", "PNG"},
        {ioWMF, "Windows Metafile", "WMF"},
        {ioEMF, "Enhanced Windows Metafile", "EMF"},
        {ioTGA, "Targa Bitmap", "TGA;TARGA;VDA;ICB;VST;PIX"},
    };
    TRegistry& r = Registry();
    r.started = true;
    for (const Builtin& b : kBuiltins) {
        auto info = std::make_unique<TImgFileFormatInfo>();
        info->FileType = b.code;
        info->Name = std::string(b.name).substr(0, 80);
        info->Extensions = std::string(b.extensions).substr(0, 80);
        r.list.push_back(std::move(info));
    }
}

void FreeFormatRegistry() {
    TRegistry& r = Registry();
    r.started = true;
    r.list.clear();
}

TImgFileFormatInfo* FindFormatByType(Integer Code) {
    for (auto& info : ImgFileFormats())
        if (info->FileType == Code) return info.get();
    return nullptr;
}

std::string GetFormatExt(Integer Code, Integer N) {
    const TImgFileFormatInfo* info = FindFormatByType(Code);
    if (!info) return "";
    std::string rest = info->Extensions;
    std::string answer;
    for (Integer i = 0; i <= N; ++i) {
        if (rest.empty()) return "";
        const size_t semi = rest.find(';');
        if (semi == std::string::npos) {
            answer = rest;
            rest.clear();
        } else {
            answer = rest.substr(0, semi);
            rest.erase(0, semi + 1);
        }
    }
    return answer;
}

Integer GetFormatExtCount(Integer Code) {
    Integer n = 0;
    while (!GetFormatExt(Code, n).empty()) ++n;
    return n;
}

TImgFileFormatInfo* FindFormatByExt(const std::string& Ext) {
    const std::string ext = LowerCase(Ext);
    for (auto& info : ImgFileFormats())
        for (Integer n = 0;; ++n) {
            const std::string e = GetFormatExt(info->FileType, n);
            if (e.empty()) break;
            if (LowerCase(e) == ext) return info.get();
        }
    return nullptr;
}
