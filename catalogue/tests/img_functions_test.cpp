// The image-utility component: loads by extension and by content, scaled JPEG decoding,
// thumbnails, saves that never damage the old file, conversions, resampling, properties, names
// and its messages.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "catalogue/img_functions.h"
#include "framework/atomic_file.h"
#include "framework/dialog_service.h"
#include "framework/graphics.h"
#include "framework/std_controls.h"
#include "framework/testing/ui_test.h"
#include "framework/tests/scratch_folder.h"
#include "imaging/dialogs/img_file_dialogs.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_proc.h"

namespace {

std::string ReadAll(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& Path, const std::string& Data) {
    std::ofstream out(Path, std::ios::binary);
    out << Data;
}

// A 24-bit picture with a smooth gradient and a few edges.
std::unique_ptr<TBitmap> Picture(Integer W, Integer H) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(W, H);
    for (Integer y = 0; y < H; ++y) {
        auto* row = static_cast<Byte*>(b->ScanLine(y));
        for (Integer x = 0; x < W; ++x) {
            row[3 * x] = Byte(x * 255 / (W > 1 ? W - 1 : 1));
            row[3 * x + 1] = Byte(y * 255 / (H > 1 ? H - 1 : 1));
            row[3 * x + 2] = Byte(((x / 7 + y / 5) % 2) ? 200 : 40);
        }
    }
    return b;
}

std::vector<Byte> Pixels(TBitmap* B) {
    std::vector<Byte> p;
    for (Integer y = 0; y < B->GetHeight(); ++y) {
        const auto* row = static_cast<const Byte*>(B->ScanLine(y));
        p.insert(p.end(), row, row + 3 * B->GetWidth());
    }
    return p;
}

class ImgFunctionsTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        f = new TImgFunctions(nullptr);
    }
    void TearDown() override {
        SetAtomicWriteHookForTesting(nullptr);
        f->Free();
        ScratchFolderTest::TearDown();
    }
    // Saves a W x H picture under Name (by its extension) and returns the path.
    std::string Save(const std::string& Name, Integer W, Integer H) {
        auto b = Picture(W, H);
        const std::string path = dir_ + Name;
        EXPECT_TRUE(f->SaveBitmapToFile(b.get(), path, false, false, 90)) << Name;
        return path;
    }

    TImgFunctions* f = nullptr;
};

TEST_F(ImgFunctionsTest, FalseExtensionsLoadByContentOnlyWithTheRetry) {
    const std::string jpeg = Save("photo.jpg", 40, 30);
    const std::string disguised = dir_ + "a.lm";
    ASSERT_EQ(rename(jpeg.c_str(), disguised.c_str()), 0);

    TBitmap b;
    f->GetIO()->SetAttachedBitmap(&b);
    EXPECT_FALSE(f->TryLoadIOFromFile(f->GetIO(), disguised, false));
    EXPECT_THROW(f->LoadIOFromFile(f->GetIO(), disguised, false), Exception);
    EXPECT_TRUE(f->TryLoadIOFromFile(f->GetIO(), disguised, true));
    EXPECT_EQ(b.GetWidth(), 40);
    EXPECT_EQ(f->GetIO()->GetParams()->FileType, 3);
    f->GetIO()->SetAttachedBitmap(nullptr);

    TBitmap g;
    EXPECT_TRUE(f->LoadGraphic(&g, disguised, false));
    EXPECT_EQ(g.GetHeight(), 30);
    EXPECT_EQ(f->GetIO()->GetAttachedBitmap(), nullptr);
    EXPECT_EQ(f->GetFormatExtension(disguised), ".jpg");
    EXPECT_TRUE(f->IsFalseExtension("x.QLVX"));
    EXPECT_FALSE(f->IsFalseExtension("x.l"));   // a part of ".LM" is not the item
    EXPECT_FALSE(f->IsFalseExtension("noext"));
}

TEST_F(ImgFunctionsTest, SavingUnderAFalseExtensionKeepsTheExistingFormat) {
    auto b = Picture(20, 10);
    EXPECT_FALSE(f->SaveBitmapToFile(b.get(), dir_ + "new.lm", false, false, 0));
    EXPECT_FALSE(FileExists(dir_ + "new.lm"));

    const std::string png = Save("p.png", 8, 8);
    const std::string disguised = dir_ + "p.x";
    ASSERT_EQ(rename(png.c_str(), disguised.c_str()), 0);
    EXPECT_TRUE(f->SaveBitmapToFile(b.get(), disguised, false, false, 0));
    EXPECT_EQ(f->GetFormatExtension(disguised), ".png");
    TImageProperties p;
    ASSERT_TRUE(f->GetImageFileProperties(disguised, p));
    EXPECT_EQ(p.Width, 20);

    // AsJPEG writes JPEG whatever the name.
    EXPECT_TRUE(f->SaveGraphicAsJPEG(b.get(), dir_ + "j.bmp", false, false, 75));
    EXPECT_EQ(f->GetFormatExtension(dir_ + "j.bmp"), ".jpg");
    EXPECT_EQ(f->GetIO()->GetParams()->JPEGQuality, 75);
    EXPECT_THROW(f->SaveByDetectedFormat(f->GetIO(), dir_ + "missing.lm"), Exception);
}

TEST_F(ImgFunctionsTest, AFailedOrAbortedSaveLeavesTheOldFile) {
    const std::string path = Save("keep.png", 16, 16);
    const std::string before = ReadAll(path);
    auto b = Picture(64, 48);

    // The write stops between the complete temporary file and the rename: a crash, and a rename
    // that fails.
    SetAtomicWriteHookForTesting([](const std::string&) { throw std::runtime_error("crash"); });
    EXPECT_FALSE(f->SaveBitmapToFile(b.get(), path, false, false, 0));
    EXPECT_EQ(ReadAll(path), before);
    SetAtomicWriteHookForTesting([](const std::string& Temp) { unlink(Temp.c_str()); });
    EXPECT_FALSE(f->SaveBitmapToFile(b.get(), path, false, false, 0));
    f->GetIO()->SetAttachedBitmap(b.get());
    EXPECT_THROW(f->SaveIOToFile(f->GetIO(), path, 0), Exception);
    f->GetIO()->SetAttachedBitmap(nullptr);
    SetAtomicWriteHookForTesting(nullptr);
    EXPECT_EQ(ReadAll(path), before);

    // Aborted half-way by a progress handler: nothing is written at all.
    f->GetIO()->OnProgress = [this](TObject*, Integer per) {
        if (per > 0) f->GetIO()->SetAborting(true);
    };
    EXPECT_FALSE(f->SaveBitmapToFile(b.get(), path, true, false, 0));
    EXPECT_EQ(ReadAll(path), before);
    std::vector<std::string> names;
    TSearchRec sr;
    if (FindFirst(dir_ + "*", faAnyFile, sr) == 0) {
        do
            if (sr.Name != "." && sr.Name != "..") names.push_back(sr.Name);
        while (FindNext(sr) == 0);
        FindClose(sr);
    }
    std::sort(names.begin(), names.end());
    // The old file and the one temporary file the crash left behind.
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1], "keep.png");
    EXPECT_EQ(names[0].rfind(".keep.png.tmp-", 0), 0u);
}

TEST_F(ImgFunctionsTest, BadInputFailsWithTheBitmapDetached) {
    const std::string jpeg = Save("good.jpg", 32, 32);
    const std::string data = ReadAll(jpeg);
    WriteAll(dir_ + "empty.png", "");
    WriteAll(dir_ + "cut.jpg", data.substr(0, 20));
    WriteAll(dir_ + "junk.gif", std::string(500, '\xff'));
    WriteAll(dir_ + "tiny.lm", "");
    ASSERT_EQ(mkfifo((dir_ + "pipe.png").c_str(), 0644), 0);
    ASSERT_EQ(mkdir((dir_ + "folder.png").c_str(), 0755), 0);
    for (const char* name : {"empty.png", "cut.jpg", "junk.gif", "tiny.lm", "pipe.png", "folder.png", "none.png"}) {
        SCOPED_TRACE(name);
        TBitmap b;
        EXPECT_FALSE(f->LoadGraphic(&b, dir_ + name, false));
        EXPECT_EQ(f->GetIO()->GetAttachedBitmap(), nullptr);
        EXPECT_FALSE(f->LoadThumbnail(&b, dir_ + name, false, true, 90, 75));
        EXPECT_FALSE(f->LoadGraphicAtSize(&b, dir_ + name, false, 90, 75));
        TImageProperties p;
        p.Width = 5;
        EXPECT_FALSE(f->GetImageFileProperties(dir_ + name, p));
        EXPECT_EQ(p.Width, 0);
        EXPECT_EQ(p.FileTypeText, "");
        // The start of a JPEG still shows what it is.
        EXPECT_EQ(f->GetFormatExtension(dir_ + name), std::string(name) == "cut.jpg" ? ".jpg" : "");
    }
    EXPECT_THROW(f->LoadByDetectedFormat(f->GetIO(), dir_ + "pipe.png"), Exception);
}

TEST_F(ImgFunctionsTest, ScaledJPEGDecoding) {
    const std::string jpeg = Save("photo.JPG", 1600, 1200);
    struct Case {
        Integer W, H, OutW, OutH;
    };
    // The area nearest the box: 90 x 75 asks for an eighth, 700 x 500 for a half; a side below 1
    // decodes in full.
    for (const Case& c : {Case{90, 75, 200, 150}, Case{700, 500, 800, 600}, Case{100, 0, 1600, 1200},
                          Case{1600, 1200, 1600, 1200}}) {
        TBitmap b;
        EXPECT_TRUE(f->LoadGraphicAtSize(&b, jpeg, false, c.W, c.H));
        EXPECT_EQ(b.GetWidth(), c.OutW) << c.W << "x" << c.H;
        EXPECT_EQ(b.GetHeight(), c.OutH) << c.W << "x" << c.H;
    }
    // A scaled decode leaves later loads at full size.
    TBitmap full;
    EXPECT_TRUE(f->LoadGraphic(&full, jpeg, false));
    EXPECT_EQ(full.GetWidth(), 1600);
}

TEST_F(ImgFunctionsTest, ThumbnailsFitTheBoxEnlargingSmallPictures) {
    struct Case {
        const char* Name;
        Integer W, H, BoxW, BoxH, OutW, OutH;
    };
    for (const Case& c : {Case{"wide.png", 160, 80, 90, 75, 90, 45}, Case{"small.bmp", 10, 20, 90, 75, 38, 75},
                          Case{"big.jpg", 1600, 1200, 90, 75, 90, 68}}) {
        SCOPED_TRACE(c.Name);
        const std::string path = Save(c.Name, c.W, c.H);
        TBitmap b;
        ASSERT_TRUE(f->LoadThumbnail(&b, path, false, true, c.BoxW, c.BoxH));
        EXPECT_EQ(b.GetWidth(), c.OutW);
        EXPECT_EQ(b.GetHeight(), c.OutH);
        const std::string thumb = dir_ + "t_" + c.Name + ".png";
        f->CreateThumbnailFile(path, thumb, false, true, 0, c.BoxW, c.BoxH);
        TImageProperties p;
        ASSERT_TRUE(f->GetImageFileProperties(thumb, p));
        EXPECT_EQ(p.Width, c.OutW);
    }
    EXPECT_THROW(f->CreateThumbnailFile(dir_ + "none.png", dir_ + "t.png", false, true, 0, 90, 75), Exception);
}

TEST_F(ImgFunctionsTest, ResamplingPicksLanczosFromTenPixels) {
    auto reference = [](Integer W, Integer H, TResampleFilter Filter) {
        auto b = Picture(37, 23);
        TImagoProc p(nullptr);
        p.SetAttachedBitmap(b.get());
        p.Resample(W, H, Filter);
        p.SetAttachedBitmap(nullptr);
        return Pixels(b.get());
    };
    struct Case {
        Integer W, H;
        bool HighQuality;
        TResampleFilter Filter;
    };
    for (const Case& c : {Case{8, 9, true, rfNone}, Case{8, 10, true, rfLanczos3}, Case{10, 3, true, rfLanczos3},
                          Case{8, 10, false, rfNone}}) {
        auto b = Picture(37, 23);
        ASSERT_TRUE(f->ResampleBitmap(b.get(), c.W, false, false, c.HighQuality, c.H));
        EXPECT_EQ(Pixels(b.get()), reference(c.W, c.H, c.Filter)) << c.W << "x" << c.H;
        EXPECT_EQ(f->GetProc()->GetAttachedBitmap(), nullptr);
    }
    ASSERT_NE(reference(8, 10, rfNone), reference(8, 10, rfLanczos3));

    // |360 - Angle|: 270 turns a quarter, 360 not at all.
    auto b = Picture(30, 10);
    f->GetProc()->SetAttachedBitmap(b.get());
    f->RotateProc(f->GetProc(), 270, false);
    EXPECT_EQ(b->GetWidth(), 10);
    EXPECT_EQ(b->GetHeight(), 30);
    f->RotateProc(f->GetProc(), 360, false);
    EXPECT_EQ(b->GetWidth(), 10);
    f->GetProc()->SetAttachedBitmap(nullptr);
}

TEST_F(ImgFunctionsTest, ColourDepthsPrepareThePictureAndTheSaveParameters) {
    struct Case {
        Integer Level, Bits, Samples;
        TPixelFormat Format;
    };
    for (const Case& c : {Case{0, 2, 1, pf1bit}, Case{1, 4, 1, pf24bit}, Case{2, 8, 1, pf24bit},
                          Case{3, 8, 2, pf24bit}}) {
        auto b = Picture(40, 40);
        f->GetProc()->SetAttachedBitmap(b.get());
        EXPECT_TRUE(f->ReduceColourDepth(f->GetProc(), f->GetIO(), c.Level));
        EXPECT_EQ(f->GetIO()->GetParams()->BitsPerSample, c.Bits);
        EXPECT_EQ(f->GetIO()->GetParams()->SamplesPerPixel, c.Samples);
        EXPECT_EQ(b->GetPixelFormat(), c.Format);
        if (c.Level == 1) {
            EXPECT_LE(f->GetProc()->CountColors(), 16);
        }
        if (c.Level == 0) {
            EXPECT_TRUE(f->ReduceColourDepth(f->GetProc(), f->GetIO(), 4));
            EXPECT_EQ(b->GetPixelFormat(), pf24bit);
        }
        f->GetProc()->SetAttachedBitmap(nullptr);
    }
    EXPECT_FALSE(f->ReduceColourDepth(f->GetProc(), f->GetIO(), 5));
}

TEST_F(ImgFunctionsTest, NamesOfTypesAndDepths) {
    const std::pair<Integer, const char*> types[] = {
        {1, "TIFF Image"}, {2, "Compuserve GIF"}, {3, "JPEG Image"}, {4, "PCX Image"}, {5, "Windows Bitmap"},
        {6, "Icon Resource"}, {7, "Windows Cursor"}, {8, "PNG Image"}, {9, "Windows Metafile"},
        {10, "Enhanced Windows Metafile"}, {11, "Unknown"}, {0, "Unknown"}};
    for (const auto& [code, text] : types) EXPECT_EQ(TImgFunctions::FileTypeToStr(code), text);
    const std::pair<Integer, const char*> depths[] = {{1, "2"}, {4, "16"}, {8, "256"}, {15, "Unknown"},
                                                      {16, "65,536"}, {24, "16 Million"}, {32, "4 Billion"},
                                                      {12, "Unknown"}};
    for (const auto& [bits, text] : depths) EXPECT_EQ(TImgFunctions::BitDepthToStr(bits), text);

    f->GetIO()->GetParams()->FileType = 5;
    f->GetIO()->GetParams()->BitsPerSample = 5;
    f->GetIO()->GetParams()->SamplesPerPixel = 3;
    TImageProperties p;
    f->GetIO()->GetParams()->Width = 7;
    f->GetIOImageProperties(f->GetIO(), p);
    EXPECT_EQ(p.BitDepth, 16);
    EXPECT_EQ(p.ColoursText, "65,536");
    EXPECT_EQ(p.FileTypeText, "Windows Bitmap");
    EXPECT_EQ(p.Width, 7);

    for (const char* name : {"a.jpg", "b.JPEG", "c.Jpe"}) EXPECT_TRUE(TImgFunctions::IsJPEGFile(name)) << name;
    for (const char* name : {"a.jpgx", "b.png", "jpg"}) EXPECT_FALSE(TImgFunctions::IsJPEGFile(name)) << name;
    Integer w = 160, h = 80;
    TImgFunctions::FitImageSize(w, h, 90, 75);
    EXPECT_EQ(w, 90);
    EXPECT_EQ(h, 45);
}

TEST_F(ImgFunctionsTest, ConversionsAndTheirMessage) {
    const std::string src = Save("src.bmp", 12, 9);
    const std::string before = ReadAll(src);
    EXPECT_TRUE(f->ConvertImageFile(src, src, false, 0));
    EXPECT_EQ(ReadAll(src), before);

    EXPECT_TRUE(f->ConvertImageFile(src, dir_ + "out.tif", false, 0));
    TImageProperties p;
    ASSERT_TRUE(f->GetImageFileProperties(dir_ + "out.tif", p));
    EXPECT_EQ(p.FileType, 1);
    EXPECT_EQ(p.Height, 9);

    TScriptedDialogs dialogs;
    dialogs.Answer(mrOk);
    EXPECT_FALSE(f->ConvertImageFile(dir_ + "none.bmp", dir_ + "out.png", false, 0));
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].Text,
              "An error was encountered whilst converting the image, " + dir_ + "none.bmp!");
    EXPECT_FALSE(FileExists(dir_ + "out.png"));
}

TEST_F(ImgFunctionsTest, EventsAreQuietWithoutNotify) {
    const std::string path = Save("e.png", 300, 200);
    Integer progress = 0, ends = 0;
    f->OnProgress = [&](TObject* Sender, Integer) {
        EXPECT_EQ(Sender, f);
        ++progress;
    };
    f->OnProgressEnd = [&](TObject*) { ++ends; };
    TBitmap b;
    ASSERT_TRUE(f->LoadThumbnail(&b, path, false, true, 90, 75));
    EXPECT_EQ(progress, 0);
    EXPECT_EQ(ends, 0);
    ASSERT_TRUE(f->LoadThumbnail(&b, path, true, true, 90, 75));
    EXPECT_GT(progress, 0);
    EXPECT_EQ(ends, 1);
}

TEST_F(ImgFunctionsTest, ClipboardCopy) {
    auto b = Picture(5, 4);
    EXPECT_TRUE(f->CopyBitmapToClipboard(b.get()));
    EXPECT_EQ(f->GetProc()->GetAttachedBitmap(), nullptr);
}

// The open-image dialog, driven as a user does: Cancel leaves the bitmap and the name alone, a
// picture chosen (also one in disguise) loads, a broken one shows the load message.
TEST_F(ImgFunctionsTest, OpenImageDialogLoadsTheChosenPicture) {
    uitest::Start();
    const std::string good = Save("good.png", 24, 16);
    const std::string disguised = dir_ + "b.lm";
    ASSERT_EQ(rename(Save("b.jpg", 12, 10).c_str(), disguised.c_str()), 0);
    const std::string broken = dir_ + "broken.png";
    WriteAll(broken, ReadAll(good).substr(0, 40));
    Integer ends = 0;
    f->OnProgressEnd = [&](TObject*) { ++ends; };

    auto b = Picture(5, 4);
    const std::vector<Byte> before = Pixels(b.get());
    std::string name = "kept";
    TScriptedDialogs dialogs;
    dialogs.SelectFile(good)
        .InDialog([&](TObject*) { EXPECT_EQ(f->GetOpenDialog()->PicLabel1->GetCaption(), "24 x 16 pixel"); })
        .Answer(mrCancel);
    EXPECT_FALSE(f->OpenImageToBitmap(b.get(), "", name));
    EXPECT_EQ(name, "kept");
    EXPECT_EQ(Pixels(b.get()), before);
    EXPECT_EQ(f->GetIO()->GetAttachedBitmap(), nullptr);
    EXPECT_EQ(ends, 1);
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].Caption, "Please select an Image");
    EXPECT_EQ(dialogs.Requests()[0].Filter.rfind("All graphics|", 0), 0u);

    dialogs.Clear();
    dialogs.Answer(mrOk, good);
    EXPECT_TRUE(f->OpenImageToBitmap(b.get(), "Pick", name, "Pictures|*.png"));
    EXPECT_EQ(name, good);
    EXPECT_EQ(b->GetWidth(), 24);
    EXPECT_EQ(dialogs.Requests()[0].Caption, "Pick");
    EXPECT_EQ(dialogs.Requests()[0].Filter, "Pictures|*.png");

    TBitmap target;
    f->GetIO()->SetAttachedBitmap(&target);
    dialogs.Clear();
    dialogs.Answer(mrOk, disguised);
    EXPECT_TRUE(f->OpenImageDialog(f->GetIO(), "", name));
    EXPECT_EQ(name, disguised);
    EXPECT_EQ(target.GetWidth(), 12);

    dialogs.Clear();
    dialogs.Answer(mrOk, broken).Answer(mrOk);
    EXPECT_FALSE(f->OpenImageDialog(f->GetIO(), "", name));
    EXPECT_EQ(name, "");
    ASSERT_EQ(dialogs.Requests().size(), 2u);
    EXPECT_EQ(dialogs.Requests()[1].Text, "An error was encountered whilst loading the file, " + broken +
                                              ".  It may be corrupted or no longer available");
    f->GetIO()->SetAttachedBitmap(nullptr);
}

}  // namespace
