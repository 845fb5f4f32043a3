#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/dialog_service.h"
#include "framework/exceptions.h"
#include "framework/forms.h"
#include "framework/std_controls.h"
#include "framework/testing/ui_test.h"
#include "imaging/controls/imago_mio.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/formats/avi_save_options.h"
#include "imaging/formats/codec_table.h"
#include "imaging/formats/lzw_coders.h"
#include "imaging/formats/tests/avi_test_support.h"
#include "imaging/formats/tests/oracle.h"
#include "imaging/tests/image_fixture.h"

namespace fs = std::filesystem;

namespace {

// Pixel (x, y) of the test pattern of image k.
TImgRGB Pattern(Integer k, Integer x, Integer y) {
    return ImgRGB(Byte(40 * k + 20), Byte(x * 8), Byte(y * 8));
}

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Puts a function into an entry of the codec table for the test's lifetime.
template <class F>
class TCodecSwap {
public:
    TCodecSwap(F& Entry, F Replacement) : FEntry(Entry), FOld(Entry) { Entry = Replacement; }
    ~TCodecSwap() { FEntry = FOld; }

private:
    F& FEntry;
    F FOld;
};

class ImagoMIOTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        InstallLZWCoders();
        Form = new TForm(nullptr);
        View = new TImagoMView(Form);
        View->SetParent(Form);
        IO = new TImagoMIO(Form);
        IO->SetAttachedMView(View);
        Dir = fs::temp_directory_path() / ("lumora_mio_" + std::to_string(getpid()));
        fs::create_directories(Dir);
    }
    void TearDown() override {
        Form->Free();
        fs::remove_all(Dir);
    }

    // Appends n images of w x h showing the patterns first, first + 1, ...
    void Add(Integer n, Integer w = 16, Integer h = 12, Integer first = 0) {
        for (Integer k = first; k < first + n; ++k) {
            Bmp b = Make24(w, h, [k](Integer x, Integer y) { return Pattern(k, x, y); });
            View->SetImage(View->AppendImage(), b.get());
        }
    }
    // Whether image i of the view shows the pattern of image k.
    bool Shows(Integer i, Integer k) {
        TBitmap* b = View->GetImageBitmap(i);
        Bmp want = Make24(b->GetWidth(), b->GetHeight(), [k](Integer x, Integer y) { return Pattern(k, x, y); });
        const bool same = SameRGBPixels(b, want.get());
        View->ReleaseImageBitmap(i);
        return same;
    }
    std::string File(const char* name) const { return (Dir / name).string(); }

    TForm* Form = nullptr;
    TImagoMView* View = nullptr;
    TImagoMIO* IO = nullptr;
    fs::path Dir;
};

TEST_F(ImagoMIOTest, KeepsOneRenumberedParameterObjectPerImage) {
    Add(3);
    ASSERT_EQ(IO->GetFrameParamsCount(), 3);
    IO->GetFrameParams(2)->JPEGQuality = 77;
    View->InsertImage(2);  // copies the options of the image it pushes back
    EXPECT_EQ(IO->GetFrameParams(2)->JPEGQuality, 77);
    View->DeleteImage(1);
    View->DeleteImage(1);
    ASSERT_EQ(IO->GetFrameParamsCount(), 2);
    for (Integer i = 0; i < 2; ++i) {
        EXPECT_EQ(IO->GetFrameParams(i)->GIFImageIndex, i);
        EXPECT_EQ(IO->GetFrameParams(i)->TIFFImageIndex, i);
    }
    EXPECT_EQ(IO->GetFrameParams(2), nullptr);
    View->Clear();
    EXPECT_EQ(IO->GetFrameParamsCount(), 0);
    // A view that already holds images when attached gets one object each.
    Add(2);
    TImagoMIO other(nullptr);
    other.SetAttachedMView(View);
    EXPECT_EQ(other.GetFrameParamsCount(), 2);
}

TEST_F(ImagoMIOTest, GIFFramesRoundTripWithTheirDelays) {
    Add(3);
    const Integer delays[] = {0, 50, 0};
    for (Integer i = 0; i < 3; ++i) IO->GetFrameParams(i)->GIFDelayTime = delays[i];
    std::vector<Integer> percents;
    IO->OnProgress = [&](TObject* Sender, Integer Percent) {
        EXPECT_EQ(Sender, IO);
        percents.push_back(Percent);
    };
    IO->SaveToFile(File("anim.gif"));
    ASSERT_FALSE(IO->GetAborting());
    EXPECT_EQ(percents, (std::vector<Integer>{0, 33, 66}));

    View->Clear();
    percents.clear();
    IO->LoadFromFile(File("anim.gif"));
    ASSERT_FALSE(IO->GetAborting());
    ASSERT_EQ(View->ImageCount(), 3);
    const Integer expected[] = {10, 500, 500};
    for (Integer i = 0; i < 3; ++i) {
        EXPECT_EQ(View->GetImageDelay(i), expected[i]) << i;
        EXPECT_EQ(IO->GetFrameParams(i)->FileType, ioGIF);
        EXPECT_EQ(IO->GetFrameParams(i)->GIFImageIndex, i);
        EXPECT_TRUE(IO->GetFrameParams(i)->FileName.empty());
        EXPECT_TRUE(Shows(i, i)) << i;
    }
    EXPECT_EQ(percents, (std::vector<Integer>{0, 33, 66}));
}

TEST_F(ImagoMIOTest, TIFFPagesRoundTripAt100Milliseconds) {
    Add(4);
    IO->SaveToFile(File("pages.tiff"));
    ASSERT_FALSE(IO->GetAborting());
    View->Clear();
    IO->LoadFromFile(File("pages.tiff"));
    ASSERT_FALSE(IO->GetAborting());
    ASSERT_EQ(View->ImageCount(), 4);
    for (Integer i = 0; i < 4; ++i) {
        EXPECT_EQ(View->GetImageDelay(i), 100);
        EXPECT_EQ(IO->GetFrameParams(i)->FileType, ioTIFF);
        EXPECT_EQ(IO->GetFrameParams(i)->TIFFImageIndex, i);
        EXPECT_TRUE(Shows(i, i)) << i;
    }
}

// The files we write read back frame by frame in ImageMagick (scripts/packages/formats-gif.txt)
// as we read them.
TEST_F(ImagoMIOTest, SavedFilesReadFrameByFrameInImageMagick) {
    if (!oracle::HaveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    for (const char* name : {"magick.gif", "magick.tif"}) {
        View->Clear();
        Add(3);
        IO->SaveToFile(File(name));
        View->Clear();
        IO->LoadFromFile(File(name));
        ASSERT_EQ(View->ImageCount(), 3) << name;
        for (Integer k = 0; k < 3; ++k) {
            oracle::TImage theirs;
            ASSERT_TRUE(oracle::Magick(File(name), theirs, int(k))) << name << k;
            EXPECT_EQ(oracle::FromBitmap(View->GetImageBitmap(k)), theirs) << name << k;
            View->ReleaseImageBitmap(k);
        }
    }
}

TEST_F(ImagoMIOTest, LoadsFromTheSelectedImageOnPushingTheRestBack) {
    Add(2, 16, 12, 5);
    IO->SaveToFile(File("two.tif"));
    View->Clear();
    Add(5);
    View->SetSelectedImage(3);
    IO->LoadFromFile(File("two.tif"));
    ASSERT_FALSE(IO->GetAborting());
    ASSERT_EQ(View->ImageCount(), 7);
    const Integer shows[] = {0, 1, 2, 5, 6, 3, 4};
    for (Integer i = 0; i < 7; ++i) EXPECT_TRUE(Shows(i, shows[i])) << i;
    ASSERT_EQ(IO->GetFrameParamsCount(), 7);
    EXPECT_EQ(IO->GetFrameParams(4)->FileType, ioTIFF);
    EXPECT_EQ(IO->GetFrameParams(6)->GIFImageIndex, 6);
}

TEST_F(ImagoMIOTest, OtherExtensionsDoNothingButClearTheFlag) {
    Add(2);
    for (const char* name : {"x.bmp", "x.png", "x"}) {
        IO->SetAborting(true);
        IO->SaveToFile(File(name));
        EXPECT_FALSE(IO->GetAborting());
        EXPECT_FALSE(fs::exists(File(name)));
        IO->SetAborting(true);
        IO->LoadFromFile(File(name));
        EXPECT_FALSE(IO->GetAborting());
    }
    EXPECT_EQ(View->ImageCount(), 2);
}

// A frame that fails to write stops the save with the flag set, and the file keeps what it held.
TEST_F(ImagoMIOTest, AFailingFrameStopsTheSaveAndKeepsTheOldFile) {
    auto failGIF = [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) -> Integer {
        if (p.GIFImageIndex == 2) {
            if (r.Aborting) *r.Aborting = true;
            return 0;
        }
        return GIFInsertFrame(s, b, p, r);
    };
    auto failTIFF = [](TStream* s, bool Append, TBitmap* b, TIOParamsVals& p, TProgressRec& r) -> Integer {
        if (p.TIFFImageIndex == 2) {
            if (r.Aborting) *r.Aborting = true;
            return 0;
        }
        return TIFFEncodeStream(s, Append, b, p, r);
    };
    TCodecSwap gif(ImgCodecs().GIFInsertFrame, +failGIF);
    TCodecSwap tiff(ImgCodecs().TIFFEncodeStream, +failTIFF);
    Add(4);
    for (const char* name : {"old.gif", "old.tif"}) {
        { std::ofstream(File(name)) << "old content"; }
        IO->SaveToFile(File(name));
        EXPECT_TRUE(IO->GetAborting()) << name;
        EXPECT_EQ(ReadAll(File(name)), "old content") << name;
    }
}

// A frame that fails to read ends the loading: the image being loaded goes, the flag stays set.
TEST_F(ImagoMIOTest, AFailingFrameEndsTheLoading) {
    Add(4);
    IO->SaveToFile(File("four.tif"));
    View->Clear();
    auto failThird = [](TBitmap* b, TStream* s, Int64 directory, TIOParamsVals& p, TProgressRec& r) {
        TIFFDecodePage(b, s, directory, p, r);
        if (p.TIFFImageIndex == 2) *r.Aborting = true;
    };
    TCodecSwap swap(ImgCodecs().TIFFDecodePage, +failThird);
    IO->LoadFromFile(File("four.tif"));
    EXPECT_TRUE(IO->GetAborting());
    EXPECT_EQ(View->ImageCount(), 2);
    EXPECT_EQ(IO->GetFrameParamsCount(), 2);
}

TEST_F(ImagoMIOTest, DataOfAnotherKindLoadsNothingAndSetsTheFlag) {
    Add(1);
    for (const char* name : {"text.gif", "text.tif"}) {
        { std::ofstream(File(name)) << "not an image at all"; }
        IO->LoadFromFile(File(name));
        EXPECT_TRUE(IO->GetAborting()) << name;
        EXPECT_EQ(View->ImageCount(), 1) << name;
        EXPECT_EQ(IO->GetFrameParamsCount(), 1) << name;
    }
}

TEST_F(ImagoMIOTest, ShowPreviewsAnswersFalse) {
    Add(1);
    EXPECT_FALSE(IO->ShowPreviews(0, 16));
}

// ---- AVI -------------------------------------------------------------------------------------

class ImagoMIOAviTest : public ImagoMIOTest {
protected:
    void SetUp() override {
        ImagoMIOTest::SetUp();
        SetDialogService(&Dialogs);
    }
    void TearDown() override {
        SetDialogService(nullptr);
        ImagoMIOTest::TearDown();
    }
    void Write(const std::string& name, const avitest::TBytes& bytes) {
        std::ofstream(File(name.c_str()), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // Saves the view as name, answering the options dialog with the given compressor.
    void SaveAVI(const char* name, bool motionJPEG = false) {
        Dialogs.AnswerForm(mrOk, [motionJPEG](TCustomForm* f) {
            static_cast<TAviSaveOptionsDialog*>(f)->CompressionGroup->SetItemIndex(motionJPEG ? 1 : 0);
        });
        IO->SaveToFile(File(name));
    }
    TScriptedDialogs Dialogs;
};

TEST_F(ImagoMIOAviTest, LoadsFramesAtTheStreamRate) {
    avitest::TAvi avi;
    avi.Format = avitest::BitmapInfo(4, 2, 8, BI_RGB, {ImgRGB(255, 0, 0), ImgRGB(0, 0, 255)});
    avi.Frames = {avitest::TBytes(8, 0), avitest::TBytes(8, 1), avitest::TBytes(8, 0)};
    Write("clip.avi", avitest::Build(avi));
    Add(1);
    IO->LoadFromFile(File("clip.avi"));
    ASSERT_FALSE(IO->GetAborting());
    ASSERT_EQ(View->ImageCount(), 4);
    for (Integer i = 0; i < 3; ++i) {
        EXPECT_EQ(View->GetImageDelay(i), 125);
        const TIOParamsVals* p = IO->GetFrameParams(i);
        EXPECT_EQ(p->GIFDelayTime, 125);
        EXPECT_EQ(p->BitsPerSample, 8);
        EXPECT_EQ(p->SamplesPerPixel, 1);
        EXPECT_EQ(p->Width, 4);
        EXPECT_EQ(p->Height, 2);
        EXPECT_EQ(p->FileName, File("clip.avi"));
        EXPECT_EQ(p->FileType, ioUnknown);
        EXPECT_EQ(p->GIFImageIndex, i);
    }
    TBitmap* second = View->GetImageBitmap(1);
    EXPECT_EQ(Px(second, 3, 1), ImgRGB(0, 0, 255));
    View->ReleaseImageBitmap(1);
    EXPECT_TRUE(Shows(3, 0)) << "the image that was there comes after the frames";
}

TEST_F(ImagoMIOAviTest, FilesThatCannotBeReadSetTheFlag) {
    avitest::TAvi avi;
    avi.Format = avitest::BitmapInfo(4, 2, 24, AviFourCC("XVID"));
    avi.Frames = {avitest::TBytes(24, 0)};
    Write("xvid.avi", avitest::Build(avi));
    Write("text.avi", {'h', 'e', 'l', 'l', 'o'});
    for (const char* name : {"xvid.avi", "text.avi", "missing.avi"}) {
        IO->LoadFromFile(File(name));
        EXPECT_TRUE(IO->GetAborting()) << name;
        EXPECT_EQ(View->ImageCount(), 0) << name;
    }
}

// Images of another size than the first repeat the last image written; every frame has the first
// image's format; the frame rate is the first image's delay.
TEST_F(ImagoMIOAviTest, SavesEveryFrameInTheFirstImagesSizeAndFormat) {
    Add(2, 20, 10, 0);
    Add(1, 10, 10, 2);
    Bmp mono = Make1(20, 10, [](Integer x, Integer) { return x % 2 == 0; });
    View->SetImage(View->AppendImage(), mono.get());
    View->SetImageDelay(0, 125);
    SaveAVI("out.avi");
    ASSERT_FALSE(IO->GetAborting());
    View->Clear();
    IO->LoadFromFile(File("out.avi"));
    ASSERT_FALSE(IO->GetAborting());
    ASSERT_EQ(View->ImageCount(), 4);
    EXPECT_EQ(View->GetImageDelay(0), 125);
    EXPECT_TRUE(Shows(0, 0));
    EXPECT_TRUE(Shows(1, 1));
    EXPECT_TRUE(Shows(2, 1));
    TBitmap* last = View->GetImageBitmap(3);
    EXPECT_EQ(last->GetPixelFormat(), pf24bit);
    EXPECT_EQ(Px(last, 0, 0), ImgRGB(255, 255, 255));
    EXPECT_EQ(Px(last, 1, 0), ImgRGB(0, 0, 0));
    View->ReleaseImageBitmap(3);
    EXPECT_EQ(IO->GetFrameParams(3)->BitsPerSample, 8);
    EXPECT_EQ(IO->GetFrameParams(3)->SamplesPerPixel, 3);
}

TEST_F(ImagoMIOAviTest, SavesMotionJPEGWhenChosen) {
    Add(2, 16, 16);
    SaveAVI("mjpeg.avi", true);
    ASSERT_FALSE(IO->GetAborting());
    EXPECT_NE(ReadAll(File("mjpeg.avi")).find("MJPG"), std::string::npos);
    View->Clear();
    IO->LoadFromFile(File("mjpeg.avi"));
    EXPECT_FALSE(IO->GetAborting());
    EXPECT_EQ(View->ImageCount(), 2);
    EXPECT_EQ(Dialogs.Requests().size(), 1u);
}

// Cancel writes nothing: a new file stays empty, an existing one as it was, the flag clear.
TEST_F(ImagoMIOAviTest, CancelWritesNothing) {
    Add(2);
    { std::ofstream(File("old.avi")) << "old content"; }
    for (const char* name : {"new.avi", "old.avi"}) {
        Dialogs.AnswerForm(mrCancel);
        IO->SaveToFile(File(name));
        EXPECT_FALSE(IO->GetAborting());
    }
    EXPECT_EQ(ReadAll(File("new.avi")), "");
    EXPECT_EQ(ReadAll(File("old.avi")), "old content");
}

TEST_F(ImagoMIOAviTest, AFileThatCannotBeCreatedRaises) {
    Add(1);
    EXPECT_THROW(IO->SaveToFile(File("no such folder/x.avi")), EInvalidGraphic);
}

}  // namespace
