#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/file_utils.h"
#include "framework/forms.h"
#include "framework/std_controls.h"
#include "framework/testing/metafile_writer.h"
#include "framework/testing/ui_test.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_view.h"
#include "imaging/formats/tests/fake_codecs.h"

namespace {

TImgRGB Pattern(Integer x, Integer y) { return ImgRGB(Byte(x * 40), Byte(y * 60), 7); }

bool SamePixels(TBitmap* a, TBitmap* b) {
    if (a->GetWidth() != b->GetWidth() || a->GetHeight() != b->GetHeight()) return false;
    for (Integer y = 0; y < a->GetHeight(); ++y)
        for (Integer x = 0; x < a->GetWidth(); ++x)
            if (Px(a, x, y) != Px(b, x, y)) return false;
    return true;
}

std::string StreamText(TMemoryStream& s) {
    return std::string(static_cast<const char*>(s.GetMemory()), size_t(s.GetSize()));
}

void PutText(TStream& s, const std::string& text) {
    if (!text.empty()) s.WriteBuffer(text.data(), Int64(text.size()));
}

// A component on a bare 24-bit bitmap, the fake codecs in the codec table, and a folder for
// files.
class ImagoIOTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "lumora-io-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        Dir = tmpl;
        Source = Make24(4, 3, Pattern);
        Target = Make24(2, 2, [](Integer, Integer) { return ImgRGB(1, 1, 1); });
        IO = new TImagoIO(nullptr);
        IO->SetAttachedBitmap(Target.get());
    }
    void TearDown() override {
        IO->Free();
        SetImgDefaultDpiOverride(0);
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }

    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    std::string Write(const std::string& Name, const std::string& Bytes) const {
        std::ofstream(Path(Name), std::ios::binary) << Bytes;
        return Path(Name);
    }
    std::string Read(const std::string& Name) const {
        std::ifstream f(Path(Name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    TIOParamsVals& Params() { return *IO->GetParams(); }

    fake::TFakeCodecs Fakes;
    std::filesystem::path Dir;
    Bmp Source;
    Bmp Target;
    TImagoIO* IO = nullptr;
};

}  // namespace

// ---- by name -----------------------------------------------------------------------------------

TEST_F(ImagoIOTest, LoadFromFileChoosesTheReaderByExtension) {
    const struct {
        const char* name;
        const char* magic;
        Integer type;
        bool decodes;  // a fake reader serves it and gives the picture
    } cases[] = {
        {"a.JPG", "\xFF\xD8\xFF\xE0", ioJPEG, true}, {"b.jpe", "\xFF\xD8\xFF\xE0", ioJPEG, true},
        {"c.tiff", "II*\0", ioTIFF, true},           {"d.win", "TGAf", ioTGA, true},
        {"e.dib", "BMfk", ioBMP, true},              {"f.Pcx", "\x0A\x05\x01\x08", ioPCX, true},
        {"g.png", "????", ioPNG, false},             {"h.gif", "????", ioGIF, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IO->SetAborting(true);
        const std::string file = Write(c.name, fake::Bytes(c.magic, Source.get()));
        IO->LoadFromFile(file);
        EXPECT_EQ(Params().FileType, c.type);
        EXPECT_EQ(Params().FileName, file);
        EXPECT_EQ(IO->GetAborting(), !c.decodes);
        if (c.decodes) {
            EXPECT_TRUE(SamePixels(Target.get(), Source.get()));
        }
    }
}

TEST_F(ImagoIOTest, UnknownExtensionGoesToTheRegistry) {
    const std::string bytes = fake::Bytes("TGAf", Source.get());
    Params().FileName = "before";
    Params().FileType = ioPNG;
    // The Targa entry lists PIX but has no reader; a name without an extension finds no entry.
    for (const char* name : {"a.pix", "noext"}) {
        IO->SetAborting(false);
        IO->LoadFromFile(Write(name, bytes));
        EXPECT_TRUE(IO->GetAborting()) << name;
        EXPECT_EQ(Params().FileName, "");
        EXPECT_EQ(Params().FileType, ioUnknown);
        EXPECT_EQ(Target->GetWidth(), 2);
        EXPECT_EQ(Px(Target.get(), 0, 0), ImgRGB(1, 1, 1));
    }
    // A folder's point is not an extension.
    std::filesystem::create_directory(Dir / "d.tga");
    IO->LoadFromFile(Write("d.tga/plain", bytes));
    EXPECT_TRUE(IO->GetAborting());

    // A reader in the registry serves its extensions.
    auto info = std::make_unique<TImgFileFormatInfo>();
    info->FileType = 40;
    info->Name = "Fake";
    info->Extensions = "FK;FAKE";
    info->Reader = [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r, bool only) {
        fake::Decode("TGAf", s, b, p, r, only);
    };
    ImgFileFormats().push_back(std::move(info));
    Target->SetModified(false);
    const std::string file = Write("x.Fake", bytes);
    IO->LoadFromFile(file);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(Params().FileType, 40);
    EXPECT_EQ(Params().FileName, file);
    EXPECT_TRUE(SamePixels(Target.get(), Source.get()));
    EXPECT_TRUE(Target->GetModified());
    EXPECT_FALSE(fake::Last().ParamsOnly);
}

TEST_F(ImagoIOTest, SaveToFileChoosesTheWriterByExtension) {
    IO->SetAttachedBitmap(Source.get());
    Params().FileName = "keep";
    Params().FileType = ioPNG;
    const struct {
        const char* name;
        const char* magic;  // null: nothing may be written
    } cases[] = {
        {"a.tiff", "II*\0"},           {"b.TIF", "II*\0"}, {"c.jpeg", "\xFF\xD8\xFF\xE0"},
        {"d.pcx", "\x0A\x05\x01\x08"}, {"e.jpe", nullptr}, {"f.dib", nullptr},
        {"g.targa", nullptr},          {"h.xyz", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IO->SetAborting(!c.magic);
        IO->SaveToFile(Path(c.name));
        EXPECT_EQ(IO->GetAborting(), !c.magic);
        EXPECT_EQ(FileExists(Path(c.name)), c.magic != nullptr);
        if (c.magic) {
            EXPECT_EQ(Read(c.name), fake::Bytes(c.magic, Source.get()));
        }
    }
    EXPECT_EQ(Params().FileName, "keep");
    EXPECT_EQ(Params().FileType, ioPNG);

    // A writer in the registry serves its extensions.
    auto info = std::make_unique<TImgFileFormatInfo>();
    info->FileType = 40;
    info->Extensions = "XYZ";
    info->Writer = [](TStream* s, TBitmap* b, TIOParamsVals&, TProgressRec&) { fake::WriteImage("XYZ!", s, b); };
    ImgFileFormats().push_back(std::move(info));
    IO->SaveToFile(Path("h.xyz"));
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(Read("h.xyz"), fake::Bytes("XYZ!", Source.get()));
}

TEST_F(ImagoIOTest, WithoutATargetNothingHappens) {
    IO->SetAttachedBitmap(nullptr);
    EXPECT_EQ(IO->GetAttachedBitmap(), nullptr);
    const std::string file = Write("a.jpg", fake::Bytes("\xFF\xD8\xFF\xE0", Source.get()));
    IO->SetAborting(true);
    IO->LoadFromFile(file);
    EXPECT_TRUE(IO->GetAborting());
    IO->LoadFromFileJPEG(file);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(fake::Last().Calls, 0);
    IO->SaveToFile(Path("b.jpg"));
    IO->SaveToFile(Path("b.xyz"));
    EXPECT_FALSE(FileExists(Path("b.jpg")));
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(Params().FileType, ioUnknown);
}

// ---- stream headers ----------------------------------------------------------------------------

TEST_F(ImagoIOTest, StreamHeadersRoundTrip) {
    struct Case {
        const char* tag;
        const char* magic;
        std::function<void(TImagoIO*, TStream*)> save;
        std::function<void(TImagoIO*, TStream*)> load;
        bool readableWithoutHeaders;
    };
    const Case cases[] = {
        {"TIFF", "II*\0", [](TImagoIO* io, TStream* s) { io->SaveToStreamTIFF(s); },
         [](TImagoIO* io, TStream* s) { io->LoadFromStreamTIFF(s); }, false},
        {"JFIF", "\xFF\xD8\xFF\xE0", [](TImagoIO* io, TStream* s) { io->SaveToStreamJPEG(s); },
         [](TImagoIO* io, TStream* s) { io->LoadFromStreamJPEG(s); }, true},
        {"PCX2", "\x0A\x05\x01\x08", [](TImagoIO* io, TStream* s) { io->SaveToStreamPCX(s); },
         [](TImagoIO* io, TStream* s) { io->LoadFromStreamPCX(s); }, false},
    };
    const Int64 dataSize = 12 + 4 * 3 * 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        TMemoryStream s;
        PutText(s, "junk!");
        IO->SetAttachedBitmap(Source.get());
        IO->SetStreamHeaders(true);
        c.save(IO, &s);
        EXPECT_FALSE(IO->GetAborting());
        EXPECT_EQ(s.GetPosition(), 5 + 12 + dataSize);
        PutText(s, "end");
        const std::string bytes = StreamText(s);
        EXPECT_EQ(bytes.substr(5, 8), std::string(c.tag) + std::string(4, '\0'));
        EXPECT_EQ(bytes.substr(13, 4), std::string("\x30\0\0\0", 4));
        EXPECT_EQ(bytes.substr(17, 4), std::string(c.magic, 4));

        // Read back: the stream is left after the image data.
        for (bool headers : {true, false}) {
            Bmp back = Make24(1, 1, Pattern);
            IO->SetAttachedBitmap(back.get());
            IO->SetStreamHeaders(headers);
            s.SetPosition(5);
            c.load(IO, &s);
            const bool readable = headers || c.readableWithoutHeaders;
            EXPECT_EQ(IO->GetAborting(), !readable) << "headers " << headers;
            if (!readable) continue;
            EXPECT_TRUE(SamePixels(back.get(), Source.get()));
            EXPECT_EQ(s.GetPosition(), 5 + 12 + dataSize);
            EXPECT_EQ(Params().FileName, "");
        }
    }
}

TEST_F(ImagoIOTest, MissingStreamHeaderSetsAborting) {
    IO->SetStreamHeaders(true);
    Params().FileType = ioPNG;
    TMemoryStream tiff;
    PutText(tiff, fake::Bytes("II*\0", Source.get()));
    tiff.SetPosition(0);
    EXPECT_EQ(IO->LoadFromStreamTIFF(&tiff), 0);
    EXPECT_TRUE(IO->GetAborting());
    EXPECT_EQ(tiff.GetPosition(), 12);  // the header bytes stay read
    EXPECT_EQ(Params().FileType, ioPNG);
    EXPECT_EQ(fake::Last().Calls, 0);

    TMemoryStream pcx;
    PutText(pcx, "XPC2" + std::string(8, '\0') + fake::Bytes("\x0A\x05\x01\x08", Source.get()));
    pcx.SetPosition(0);
    IO->LoadFromStreamPCX(&pcx);
    EXPECT_TRUE(IO->GetAborting());
    EXPECT_EQ(fake::Last().Calls, 0);
}

TEST_F(ImagoIOTest, PCXStreamLengths) {
    const std::string image = fake::Bytes("\x0A\x05\x01\x08", Source.get());
    // Without headers the reader gets the bytes that remain in the stream.
    TMemoryStream plain;
    PutText(plain, std::string(10, 'x') + image + "tail");
    plain.SetPosition(10);
    IO->LoadFromStreamPCX(&plain);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(fake::Last().Length, Int64(image.size()) + 4);

    // The older header: "PCX" and a zero byte, the data 4 bytes on, no length.
    IO->SetStreamHeaders(true);
    TMemoryStream old;
    PutText(old, "ab" + std::string("PCX\0", 4) + image + "tail");
    old.SetPosition(2);
    IO->LoadFromStreamPCX(&old);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(fake::Last().Position, 6);
    EXPECT_EQ(fake::Last().Length, Int64(image.size()) + 4);
    EXPECT_TRUE(SamePixels(Target.get(), Source.get()));

    // A writer that fails leaves the placeholder header in place.
    ImgCodecs().PCXEncodeStream = &fake::PCXEncodeFailing;
    TMemoryStream failed;
    IO->SaveToStreamPCX(&failed);
    EXPECT_TRUE(IO->GetAborting());
    EXPECT_EQ(StreamText(failed), std::string(12, '\0') + "\x0A\x05");
}

TEST_F(ImagoIOTest, BMPLengthsHandedToTheReader) {
    const std::string image = fake::Bytes("BMfk", Source.get());
    const std::string file = Write("a.bmp", image);
    IO->LoadFromFileBMP(file);
    EXPECT_EQ(fake::Last().Length, Int64(image.size()));
    IO->ParamsFromFile(file);
    EXPECT_EQ(fake::Last().Length, Int64(image.size()));

    TMemoryStream s;
    PutText(s, "1234567" + image + "tail");
    s.SetPosition(7);
    IO->LoadFromStreamBMP(&s);
    EXPECT_EQ(fake::Last().Length, 0);
    s.SetPosition(7);
    IO->ParamsFromStream(&s);
    EXPECT_EQ(Params().FileType, ioBMP);
    EXPECT_TRUE(fake::Last().ParamsOnly);
    EXPECT_EQ(fake::Last().Length, Int64(image.size()) + 4);
}

// ---- by content --------------------------------------------------------------------------------

TEST(DetectStreamType, BytePrefixes) {
    const std::string png("\x89PNG\r\n\x1A\n", 8);
    const struct {
        std::string prefix;
        Int64 size;
        Integer expected;
    } cases[] = {
        {"\xFF\xD8\xFF", 3, ioJPEG},
        {std::string("JFIF\0", 5), 12, ioUnknown},
        {std::string("JFIF\0", 5), 13, ioJPEG},
        {"GIF", 13, ioUnknown},
        {"GIF", 14, ioGIF},
        {std::string("PCX2\0", 5), 12, ioUnknown},
        {std::string("PCX2\0", 5), 13, ioPCX},
        {std::string("PCX\0", 4), 4, ioUnknown},
        {std::string("PCX\0", 4), 5, ioPCX},
        {"BM", 14, ioUnknown},
        {"BM", 15, ioBMP},
        {"\x0A\x05\x01\x08", 128, ioUnknown},
        {"\x0A\x05\x01\x08", 129, ioPCX},
        {std::string("\x0A\x05\x00\x01", 4), 129, ioPCX},
        {"\x0A\x06\x01\x08", 129, ioUnknown},
        {"\x0A\x05\x02\x08", 129, ioUnknown},
        {"\x0A\x05\x01\x03", 129, ioUnknown},
        {std::string("TIFF\0", 5), 12, ioUnknown},
        {std::string("TIFF\0", 5), 13, ioTIFF},
        {"TIFFX", 13, ioUnknown},
        {"II", 8, ioUnknown},
        {"II", 9, ioTIFF},
        {"MM", 9, ioTIFF},
        {png, 8, ioUnknown},
        {png, 9, ioPNG},
        {"hello, world", 40, ioUnknown},
        {"", 0, ioUnknown},
    };
    for (const auto& c : cases) {
        TMemoryStream s;
        PutText(s, c.prefix);
        s.SetSize(c.size);
        s.SetPosition(0);
        EXPECT_EQ(DetectStreamType(&s), c.expected) << c.prefix << " size " << c.size;
        EXPECT_EQ(s.GetPosition(), 0);
        // Behind three other bytes the whole size counts, so every found format is found again
        // and the position is kept.
        if (c.expected == ioUnknown) continue;
        TMemoryStream later;
        PutText(later, "zzz" + c.prefix);
        later.SetSize(3 + c.size);
        later.SetPosition(3);
        EXPECT_EQ(DetectStreamType(&later), c.expected) << c.prefix << " size " << c.size;
        EXPECT_EQ(later.GetPosition(), 3);
    }
}

TEST(DetectStreamType, RegisteredDetectorsComeFirst) {
    fake::TFakeCodecs restore;
    TMemoryStream s;
    PutText(s, "xxBM" + std::string(40, '\0'));
    s.SetPosition(2);
    ASSERT_EQ(DetectStreamType(&s), ioBMP);

    auto info = std::make_unique<TImgFileFormatInfo>();
    info->FileType = 40;
    info->Detector = [](TStream* st) {
        Byte b[2];
        st->ReadBuffer(b, 2);
        return b[0] == 'B';
    };
    TImgFileFormatInfo* entry = info.get();
    ImgFileFormats().push_back(std::move(info));
    EXPECT_EQ(DetectStreamType(&s), 40);
    EXPECT_EQ(s.GetPosition(), 2);

    // An exception ends detection with what was found so far.
    entry->Detector = [](TStream*) -> bool { throw EReadError("Stream read error"); };
    EXPECT_EQ(DetectStreamType(&s), ioUnknown);
    EXPECT_EQ(s.GetPosition(), 2);
}

TEST_F(ImagoIOTest, DetectFileTypeChecksTheExtension) {
    const std::string png("\x89PNG\r\n\x1A\n0123456789", 18);
    const std::string asJpg = Write("a.jpg", png);
    EXPECT_EQ(DetectFileType(asJpg, true), ioUnknown);
    EXPECT_EQ(DetectFileType(asJpg, false), ioPNG);
    EXPECT_EQ(DetectFileType(Write("b.PNG", png), true), ioPNG);
    EXPECT_EQ(DetectFileType(Write("c.dat", png), true), ioUnknown);
    EXPECT_EQ(DetectFileType(Path("missing.png"), false), ioUnknown);
}

TEST_F(ImagoIOTest, LoadFromStreamChoosesByContent) {
    TMemoryStream s;
    PutText(s, fake::Bytes("\xFF\xD8\xFF\xE0", Source.get()));
    s.SetPosition(0);
    IO->LoadFromStream(&s);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(Params().FileType, ioJPEG);
    EXPECT_TRUE(SamePixels(Target.get(), Source.get()));

    // Unrecognised content.
    TMemoryStream junk;
    PutText(junk, std::string(64, 'q'));
    junk.SetPosition(0);
    IO->LoadFromStream(&junk);
    EXPECT_TRUE(IO->GetAborting());
    EXPECT_EQ(Params().FileType, ioUnknown);

    // A registered format with a detector and a reader.
    auto info = std::make_unique<TImgFileFormatInfo>();
    info->FileType = 40;
    info->Detector = [](TStream* st) {
        char m[4] = {};
        st->Read(m, 4);
        return std::string(m, 4) == "qqqq";
    };
    info->Reader = [](TStream* st, TBitmap* b, TIOParamsVals& p, TProgressRec& r, bool only) {
        fake::Decode("qqqq", st, b, p, r, only);
    };
    ImgFileFormats().push_back(std::move(info));
    TMemoryStream mine;
    PutText(mine, fake::Bytes("qqqq", Source.get()));
    mine.SetPosition(0);
    Bmp fresh = Make24(1, 1, Pattern);
    IO->SetAttachedBitmap(fresh.get());
    IO->LoadFromStream(&mine);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(Params().FileType, 40);
    EXPECT_TRUE(SamePixels(fresh.get(), Source.get()));
}

TEST(ImagoIOBitmaps, WindowsBitmapsRoundTripThroughAStream) {
    // The library's own BMP codec, whatever this build holds.
    TImagoIO* io = new TImagoIO(nullptr);
    Bmp colour = Make24(5, 3, Pattern);
    Bmp mono = Make1(11, 2, [](Integer x, Integer y) { return (x + y) % 3 == 0; });
    for (TBitmap* source : {colour.get(), mono.get()}) {
        TMemoryStream s;
        io->SetAttachedBitmap(source);
        // The writer takes the depth from the parameters.
        const bool oneBit = source == mono.get();
        io->GetParams()->BitsPerSample = oneBit ? 1 : 8;
        io->GetParams()->SamplesPerPixel = oneBit ? 1 : 3;
        io->SaveToStreamBMP(&s);
        ASSERT_FALSE(io->GetAborting());
        Bmp back = Make24(1, 1, Pattern);
        io->SetAttachedBitmap(back.get());
        s.SetPosition(0);
        io->LoadFromStream(&s);
        ASSERT_FALSE(io->GetAborting());
        EXPECT_EQ(io->GetParams()->FileType, ioBMP);
        ASSERT_EQ(back->GetPixelFormat(), source->GetPixelFormat());
        ASSERT_EQ(back->GetWidth(), source->GetWidth());
        ASSERT_EQ(back->GetHeight(), source->GetHeight());
        for (Integer y = 0; y < source->GetHeight(); ++y)
            for (Integer x = 0; x < source->GetWidth(); ++x) {
                if (source == mono.get())
                    EXPECT_EQ(Bit(back.get(), x, y), Bit(source, x, y));
                else
                    EXPECT_EQ(Px(back.get(), x, y), Px(source, x, y));
            }
    }
    io->Free();
}

// ---- parameters only -------------------------------------------------------------------------

TEST_F(ImagoIOTest, ParamsFromFileReadsOnlyTheParameters) {
    IO->OnProgress = [](TObject*, Integer) { FAIL() << "parameters are read silently"; };
    IO->SetAttachedBitmap(nullptr);
    const std::string file = Write("p.jpg", fake::Bytes("\xFF\xD8\xFF\xE0", Source.get()));
    IO->ParamsFromFile(file);
    EXPECT_EQ(Params().FileType, ioJPEG);
    EXPECT_EQ(Params().FileName, file);
    EXPECT_EQ(Params().Width, 4);
    EXPECT_EQ(Params().Height, 3);
    EXPECT_TRUE(fake::Last().ParamsOnly);
    EXPECT_FALSE(fake::Last().HadProgressEvent);

    // Content and extension disagree: no reader runs.
    const int calls = fake::Last().Calls;
    IO->ParamsFromFile(Write("q.png", fake::Bytes("\xFF\xD8\xFF\xE0", Source.get())));
    EXPECT_EQ(Params().FileType, ioUnknown);
    EXPECT_EQ(fake::Last().Calls, calls);

    IO->ParamsFromFile(Path("missing.jpg"));
    EXPECT_EQ(Params().FileType, ioUnknown);
    EXPECT_EQ(Params().FileName, Path("missing.jpg"));

    // A reader that raises leaves the type unknown.
    ImgCodecs().JPEGDecodeStream = [](TStream*, TBitmap*, TIOParamsVals&, TProgressRec&, bool) {
        throw EReadError("Stream read error");
    };
    IO->ParamsFromFile(file);
    EXPECT_EQ(Params().FileType, ioUnknown);
}

// ---- progress and the aborting flag ------------------------------------------------------------

TEST_F(ImagoIOTest, ProgressAndAborting) {
    Bmp tall = Make24(2, 10, Pattern);
    const std::string file = Write("t.jpg", fake::Bytes("\xFF\xD8\xFF\xE0", tall.get()));
    std::vector<Integer> seen;
    IO->OnProgress = [&](TObject* Sender, Integer per) {
        EXPECT_EQ(Sender, IO);
        seen.push_back(per);
        if (per >= 30) IO->SetAborting(true);
    };
    IO->LoadFromFile(file);
    EXPECT_TRUE(IO->GetAborting());
    EXPECT_EQ(seen, (std::vector<Integer>{10, 20, 30}));
    // The next operation starts with the flag clear.
    IO->OnProgress = nullptr;
    IO->LoadFromFile(file);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_TRUE(SamePixels(Target.get(), tall.get()));
}

TEST_F(ImagoIOTest, BackgroundsFromGIFAndPNG) {
    ImgCodecs().GIFDecodeStream = [](TStream*, TBitmap*, Integer& n, TIOParamsVals& p, TProgressRec&, bool) {
        n = 3;
        p.GIFTranspColor = ImgRGB(1, 2, 3);
        p.GIFBackground = ImgRGB(9, 8, 7);
    };
    TMemoryStream s;
    Params().GIFTransparent = true;
    EXPECT_EQ(IO->LoadFromStreamGIF(&s), 3);
    EXPECT_EQ(IO->GetBackground(), MakeColorRGB(1, 2, 3));
    Params().GIFTransparent = false;
    IO->LoadFromStreamGIF(&s);
    EXPECT_EQ(IO->GetBackground(), MakeColorRGB(9, 8, 7));

    // The PNG reader gets the background as its default and may replace it.
    ImgCodecs().PNGDecodeStream = [](TStream*, TBitmap*, TIOParamsVals& p, TProgressRec&, bool) {
        EXPECT_EQ(p.PNGBackground, ImgRGB(40, 50, 60));
        p.PNGBackground = ImgRGB(70, 80, 90);
    };
    IO->SetBackground(MakeColorRGB(40, 50, 60));
    IO->LoadFromFilePNG(Write("a.png", "x"));
    EXPECT_EQ(IO->GetBackground(), MakeColorRGB(70, 80, 90));
}

TEST_F(ImagoIOTest, CountingFrames) {
    ImgCodecs().GIFDeleteFrame = [](const std::string&, Integer Index, bool Save) -> Integer {
        EXPECT_EQ(Index, -1);
        EXPECT_FALSE(Save);
        return 4;
    };
    EXPECT_EQ(IO->GIFFrameCount("any.gif"), 4);
    ImgCodecs().GIFDeleteFrame = [](const std::string&, Integer, bool) -> Integer {
        throw EFOpenError("Cannot open file");
    };
    EXPECT_EQ(IO->GIFFrameCount("any.gif"), 0);
    EXPECT_THROW(IO->TIFFPageCount(Path("missing.tif")), EFOpenError);
}

// ---- metafiles -------------------------------------------------------------------------------

TEST(MetafileSize, SizingRules) {
    const struct {
        Integer mw, mh, w, h;
        bool ok;
        Integer ow, oh;
    } cases[] = {
        {5600, 1400, -1, -1, true, 2800, 700},  // capped, the width leading
        {1400, 5600, -1, -1, true, 700, 2800},  // capped, the height leading
        {800, 600, 400, -1, true, 400, 300},
        {800, 600, -1, 300, true, 400, 300},
        {800, 600, 50, 70, true, 50, 70},
        {800, 600, -5, -5, true, 800, 600},
        {3000, 3000, -1, -1, true, 2800, 2800},
        {1, 6000, -1, -1, false, 0, 0},  // the width comes out 0 after capping
        {0, 0, -1, -1, false, 0, 0},
        {0, 0, -1, 100, false, 0, 0},  // no size to keep the proportions of
        {800, 600, 1, -1, false, 0, 0},  // the height comes out 0
    };
    for (const auto& c : cases) {
        Integer w = -7, h = -7;
        const bool ok = ImgMetafileDrawSize(c.mw, c.mh, c.w, c.h, w, h);
        EXPECT_EQ(ok, c.ok) << c.mw << "x" << c.mh << " asked " << c.w << "x" << c.h;
        if (ok && c.ok) {
            EXPECT_EQ(w, c.ow);
            EXPECT_EQ(h, c.oh);
        }
    }
}

namespace {

// A placeable Windows metafile whose bounding box is Width x Height units at Inch units per inch,
// followed by a minimal metafile header.
std::string PlaceableWMF(int16_t Width, int16_t Height, uint16_t Inch) {
    std::string s(22 + 18, '\0');
    auto put16 = [&](size_t at, uint16_t v) {
        s[at] = char(v & 0xFF);
        s[at + 1] = char(v >> 8);
    };
    put16(0, 0xCDD7);
    put16(2, 0x9AC6);
    put16(10, uint16_t(Width));
    put16(12, uint16_t(Height));
    put16(14, Inch);
    put16(22, 1);
    put16(24, 9);
    return s;
}

// An enhanced metafile header whose frame is Width x Height hundredths of a millimetre.
std::string EnhancedMetafile(int32_t Width, int32_t Height) {
    std::string s(88, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    put32(0, 1);
    put32(4, 88);
    put32(32, uint32_t(Width));
    put32(36, uint32_t(Height));
    put32(40, 0x464D4520);
    return s;
}

}  // namespace

TEST_F(ImagoIOTest, MetafilesLoadAtTheirSizeAndAreDrawn) {
    SetImgDefaultDpiOverride(123);
    const Integer ppi = ScreenPixelsPerInch();
    IO->SetBackground(clRed);
    const std::string wmf = Write("pic.WMF", PlaceableWMF(2880, 1440, 1440));
    IO->LoadFromFile(wmf);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(Params().FileType, ioWMF);
    EXPECT_EQ(Params().FileName, wmf);
    EXPECT_EQ(Target->GetWidth(), 2 * ppi - 1);
    EXPECT_EQ(Target->GetHeight(), ppi - 1);
    EXPECT_EQ(Target->GetPixelFormat(), pf24bit);
    EXPECT_EQ(Params().Width, Target->GetWidth());
    EXPECT_EQ(Params().DpiX, 123);
    EXPECT_EQ(Px(Target.get(), 3, 3), ImgRGB(255, 0, 0));

    // Capped at 2800 pixels.
    IO->LoadFromFile(Write("big.wmf", PlaceableWMF(5600, 1400, Integer(ppi))));
    EXPECT_EQ(Target->GetWidth(), 2799);
    EXPECT_EQ(Target->GetHeight(), 699);

    const std::string emf = Write("pic.emf", EnhancedMetafile(2540, 1270));
    IO->LoadFromFileMetafile(emf, 400, -1);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(Params().FileType, ioEMF);
    EXPECT_EQ(Target->GetWidth(), 399);
    EXPECT_EQ(Target->GetHeight(), 199);

    // Asked for at size 0: failure, and the target stays as it was.
    Params().FileType = ioUnknown;
    IO->LoadFromFileMetafile(emf, 0, 100);
    EXPECT_TRUE(IO->GetAborting());
    EXPECT_EQ(Target->GetWidth(), 399);
    EXPECT_EQ(Params().FileType, ioUnknown);

    // Not a metafile at all: the framework's error reaches the caller.
    EXPECT_THROW(IO->LoadFromFile(Write("bad.wmf", "not a metafile at all")), EInvalidGraphic);
}

TEST_F(ImagoIOTest, MetafileDrawingsFillTheTarget) {
    // A blue disc in a 100 x 50 window of a metafile without a placeable header, which is sized
    // by that window; and an enhanced metafile with a blue right half, asked for at 200 wide.
    IO->SetBackground(clWhite);
    lumora_test::TWmfWriter w(false);
    w.WindowOrg(0, 0);
    w.WindowExt(100, 50);
    w.Brush(BS_SOLID, 0xFF0000);
    w.Select(0);
    w.Ellipse(0, 0, 100, 50);
    const auto wb = w.Bytes();
    IO->LoadFromFile(Write("plain.wmf", std::string(wb.begin(), wb.end())));
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(Target->GetWidth(), 99);
    EXPECT_EQ(Target->GetHeight(), 49);
    EXPECT_EQ(Px(Target.get(), 50, 25), ImgRGB(0, 0, 255));
    EXPECT_EQ(Px(Target.get(), 2, 2), ImgRGB(255, 255, 255));

    lumora_test::TEmfWriter e(TRect(0, 0, 100, 100));
    e.Brush(1, BS_SOLID, 0xFF0000);
    e.Select(1);
    e.Rectangle(50, 0, 100, 100);
    const auto eb = e.Bytes();
    IO->LoadFromFileMetafile(Write("half.emf", std::string(eb.begin(), eb.end())), 200, -1);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(Target->GetWidth(), 199);
    EXPECT_EQ(Px(Target.get(), 150, 100), ImgRGB(0, 0, 255));
    EXPECT_EQ(Px(Target.get(), 50, 100), ImgRGB(255, 255, 255));
}

// ---- attached to a view ------------------------------------------------------------------------

class ImagoIOViewTest : public ImagoIOTest {
protected:
    void SetUp() override {
        ImagoIOTest::SetUp();
        uitest::Start();
        View = new TImagoView(nullptr);
        View->SetDPI(200, 201);
        View->OnImageChange = [this](TObject*) { ++ImageChanges; };
    }
    void TearDown() override {
        if (View) View->Free();
        ImagoIOTest::TearDown();
    }
    TImagoView* View = nullptr;
    int ImageChanges = 0;
};

TEST_F(ImagoIOViewTest, LoadsIntoTheViewsBitmap) {
    IO->SetAttachedImago(View);
    EXPECT_EQ(IO->GetAttachedImago(), View);
    EXPECT_EQ(IO->GetAttachedBitmap(), View->GetBitmap());
    IO->GetParams()->SetDefaults();
    EXPECT_EQ(Params().DpiX, 200);
    EXPECT_EQ(Params().DpiY, 201);

    IO->SetBackground(clBlue);
    EXPECT_EQ(View->GetBackground(), clBlue);
    EXPECT_EQ(IO->GetBackground(), clBlue);

    // Stream loaders of some formats leave the view's resolution alone; file loaders apply it.
    const std::string image = fake::Bytes("BMfk", Source.get());
    TMemoryStream s;
    PutText(s, image);
    s.SetPosition(0);
    ImageChanges = 0;
    IO->LoadFromStreamBMP(&s);
    EXPECT_EQ(View->GetDpiX(), 200);
    EXPECT_TRUE(SamePixels(View->GetBitmap(), Source.get()));
    EXPECT_EQ(ImageChanges, 1);
    IO->LoadFromFileBMP(Write("a.bmp", image));
    EXPECT_EQ(View->GetDpiX(), fake::kDpi);
    EXPECT_EQ(View->GetDpiY(), fake::kDpi);
    EXPECT_EQ(ImageChanges, 2);
}

TEST_F(ImagoIOViewTest, DetachingAndTheViewGoingAway) {
    IO->SetAttachedImago(View);
    // Null while a view is attached changes nothing else.
    IO->SetAttachedBitmap(nullptr);
    EXPECT_EQ(IO->GetAttachedImago(), View);
    EXPECT_EQ(IO->GetAttachedBitmap(), View->GetBitmap());
    // A bare bitmap detaches the view.
    IO->SetAttachedImago(View);
    IO->SetAttachedBitmap(Target.get());
    EXPECT_EQ(IO->GetAttachedImago(), nullptr);
    EXPECT_EQ(IO->GetAttachedBitmap(), Target.get());
    View->NotifyBitmapChange();
    EXPECT_EQ(IO->GetAttachedBitmap(), Target.get());
    IO->SetBackground(clLime);
    EXPECT_NE(View->GetBackground(), clLime);

    // The view going away leaves no target.
    IO->SetAttachedImago(View);
    View->Free();
    View = nullptr;
    EXPECT_EQ(IO->GetAttachedImago(), nullptr);
    EXPECT_EQ(IO->GetAttachedBitmap(), nullptr);
    IO->SetAborting(false);
    IO->LoadFromFile(Write("a.jpg", fake::Bytes("\xFF\xD8\xFF\xE0", Source.get())));
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(fake::Last().Calls, 0);
}

TEST_F(ImagoIOViewTest, AFreedComponentLeavesNoListenerBehind) {
    TImagoIO* first = new TImagoIO(nullptr);
    TImagoIO* second = new TImagoIO(nullptr);
    first->SetAttachedImago(View);
    second->SetAttachedImago(View);
    first->Free();
    View->NotifyBitmapChange();
    EXPECT_EQ(second->GetAttachedBitmap(), View->GetBitmap());
    second->SetAttachedImago(nullptr);
    EXPECT_EQ(second->GetAttachedBitmap(), nullptr);
    second->Free();
    View->NotifyBitmapChange();
}

TEST_F(ImagoIOViewTest, LoadsIntoAnImageControlsPicture) {
    TImage* image = new TImage(nullptr);
    IO->SetAttachedImago(View);
    IO->SetAttachedTImage(image);
    EXPECT_EQ(IO->GetAttachedImago(), nullptr);
    EXPECT_EQ(IO->GetAttachedBitmap(), image->GetPicture()->GetBitmap());
    const std::string file = Write("a.jpg", fake::Bytes("\xFF\xD8\xFF\xE0", Source.get()));
    IO->LoadFromFile(file);
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_TRUE(SamePixels(image->GetPicture()->GetBitmap(), Source.get()));
    EXPECT_TRUE(image->GetPicture()->GetBitmap()->GetModified());

    // The picture takes another graphic: the next load goes into its new bitmap.
    Bmp other = Make24(7, 7, Pattern);
    image->GetPicture()->Assign(other.get());
    IO->LoadFromFile(file);
    EXPECT_TRUE(SamePixels(image->GetPicture()->GetBitmap(), Source.get()));

    // A view replaces the image control; the control going away leaves no target.
    IO->SetAttachedImago(View);
    EXPECT_EQ(IO->GetAttachedTImage(), nullptr);
    IO->SetAttachedTImage(image);
    image->Free();
    EXPECT_EQ(IO->GetAttachedTImage(), nullptr);
    EXPECT_EQ(IO->GetAttachedBitmap(), nullptr);
}
