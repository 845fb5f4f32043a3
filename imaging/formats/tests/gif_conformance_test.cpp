// The GIF codec against the reference tools: giflib's giftext and gif2rgb, ImageMagick and
// gifsicle. Fixtures made by fixtures/make_gif_fixtures.sh decode to the pixels ImageMagick (and,
// for single frames, gif2rgb) gives and to the frame layout giftext reports; GIFs we write are
// accepted by giftext and gifsicle and decode in ImageMagick to what we decode, also after gifsicle
// has re-encoded them. The tools come from scripts/packages/formats-gif.txt; without them the
// tests are skipped.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/formats/gif_codec.h"
#include "imaging/formats/tests/gif_test_support.h"
#include "imaging/formats/tests/oracle.h"
#include "imaging/formats/tests/reference_tools.h"
#include "imaging/tests/image_fixture.h"

namespace {

using TRun = reftools::TToolRun;
using reftools::RunTool;

bool HaveTools() {
    return oracle::HaveTool("convert") && oracle::HaveTool("giftext") && oracle::HaveTool("gif2rgb") &&
           oracle::HaveTool("gifsicle");
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// ImageMagick's pixels of frame Index alone, transparent pixels in the colour of their index.
oracle::TImage MagickFrame(const std::string& File, int Index) {
    oracle::TImage image;
    oracle::RunPNM("convert " + Quote(File + "[" + std::to_string(Index) + "]") + " -alpha off -depth 8 ppm:-", image);
    return image;
}

// What giftext tells of each image: position, size, interlacing, and the delay and transparency
// flag of the graphic control extension before it.
struct TFrameInfo {
    int Left = 0, Top = 0, Width = 0, Height = 0, Delay = 0;
    bool Interlaced = false, Transparent = false;
};
std::vector<TFrameInfo> GiftextFrames(const std::string& File, bool* Normal) {
    const TRun r = RunTool("giftext " + Quote(File) + " 2>&1");
    *Normal = r.Status == 0 && r.Output.find("GIF file terminated normally") != std::string::npos;
    std::vector<TFrameInfo> frames;
    TFrameInfo pending;
    std::istringstream in(r.Output);
    std::string line;
    while (std::getline(in, line)) {
        int a, b, c, d;
        if (std::sscanf(line.c_str(), " DelayTime: %d", &a) == 1) pending.Delay = a;
        if (line.find("Transparency on: yes") != std::string::npos) pending.Transparent = true;
        if (std::sscanf(line.c_str(), " Image Size - Left = %d, Top = %d, Width = %d, Height = %d", &a, &b, &c,
                        &d) == 4) {
            pending.Left = a;
            pending.Top = b;
            pending.Width = c;
            pending.Height = d;
        }
        if (line.find("Image is ") != std::string::npos) {
            pending.Interlaced = line.find("Image is Interlaced") != std::string::npos;
            frames.push_back(pending);
            pending = TFrameInfo();
        }
    }
    return frames;
}

struct TOurFrame {
    bool Aborted = false;
    Integer Frames = 0;
    TIOParamsVals Params;
    Bmp Bitmap{new TBitmap()};
};
std::unique_ptr<TOurFrame> DecodeFile(const std::string& File, int Index) {
    auto f = std::make_unique<TOurFrame>();
    TProgressRec progress;
    progress.Aborting = &f->Aborted;
    f->Params.GIFImageIndex = Index;
    GIFDecodeFile(File, f->Bitmap.get(), f->Frames, f->Params, progress);
    return f;
}

// Checks every frame of File against giftext and ImageMagick; Pixels gets our frames' pixels.
void CheckAgainstReferences(const std::string& File, std::vector<oracle::TImage>& Pixels) {
    SCOPED_TRACE(File);
    std::vector<oracle::TImage>& pixels = Pixels;
    pixels.clear();
    bool normal = false;
    const std::vector<TFrameInfo> info = GiftextFrames(File, &normal);
    EXPECT_TRUE(normal) << "giftext did not read " << File << " to its end";
    const auto first = DecodeFile(File, 0);
    EXPECT_FALSE(first->Aborted);
    EXPECT_EQ(size_t(first->Frames), info.size());
    for (size_t i = 0; i < info.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "frame " << i);
        const auto owned = DecodeFile(File, int(i));
        TOurFrame& f = *owned;
        ASSERT_FALSE(f.Aborted);
        EXPECT_EQ(f.Params.GIFXPos, info[i].Left);
        EXPECT_EQ(f.Params.GIFYPos, info[i].Top);
        EXPECT_EQ(f.Params.Width, info[i].Width);
        EXPECT_EQ(f.Params.Height, info[i].Height);
        EXPECT_EQ(f.Params.GIFInterlaced, info[i].Interlaced);
        EXPECT_EQ(f.Params.GIFDelayTime, info[i].Delay);
        EXPECT_EQ(f.Params.GIFTransparent, info[i].Transparent);
        ASSERT_EQ(f.Bitmap->GetWidth(), info[i].Width);
        ASSERT_EQ(f.Bitmap->GetHeight(), info[i].Height);
        pixels.push_back(oracle::FromBitmap(f.Bitmap.get()));
        EXPECT_TRUE(pixels.back() == MagickFrame(File, int(i))) << "pixels differ from ImageMagick's";
    }
}

class GifConformance : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTools()) GTEST_SKIP() << "needs giflib-tools, gifsicle and imagemagick";
        std::string tmpl = (std::filesystem::temp_directory_path() / "lumora-gifref-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        Dir = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        if (!Dir.empty()) std::filesystem::remove_all(Dir, ec);
    }
    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }

    giftest::TInstalledCoders Coders;
    std::filesystem::path Dir;
};

}  // namespace

TEST_F(GifConformance, FixturesDecodeLikeTheReferenceDecoders) {
    const char* fixtures[] = {"gb_bw87a.gif",    "gb_redblue.gif",  "gb_depth1.gif",  "gb_depth2.gif",
                              "gb_depth3.gif",   "gb_depth4.gif",   "gb_depth5.gif",  "gb_depth6.gif",
                              "gb_depth7.gif",   "gb_depth8.gif",   "gb_frames.gif",  "im_interlaced.gif",
                              "im_anim.gif",     "im_transparent.gif", "im87.gif"};
    for (const char* name : fixtures) {
        const std::string file = oracle::FixturePath(name);
        std::vector<oracle::TImage> frames;
        CheckAgainstReferences(file, frames);
        // gif2rgb paints every frame onto the screen: for one frame covering it, the same pixels.
        if (frames.size() == 1) {
            const std::string out = Path("out.rgb");
            ASSERT_EQ(RunTool("gif2rgb -1 -o " + Quote(out) + " " + Quote(file)).Status, 0) << name;
            std::ifstream f(out, std::ios::binary);
            const std::vector<unsigned char> rgb((std::istreambuf_iterator<char>(f)), {});
            EXPECT_TRUE(rgb == frames[0].RGB) << name << ": pixels differ from gif2rgb's";
        }
    }
    // The versions are read as they stand.
    EXPECT_EQ(DecodeFile(oracle::FixturePath("gb_bw87a.gif"), 0)->Params.GIFVersion, "GIF87a");
    EXPECT_EQ(DecodeFile(oracle::FixturePath("gb_bw87a.gif"), 0)->Bitmap->GetPixelFormat(), pf1bit);
    EXPECT_EQ(DecodeFile(oracle::FixturePath("im87.gif"), 0)->Params.GIFVersion, "GIF87a");
    EXPECT_EQ(DecodeFile(oracle::FixturePath("gb_frames.gif"), 0)->Params.GIFVersion, "GIF89a");
}

TEST_F(GifConformance, WrittenGifsPassTheReferenceTools) {
    Bmp photo = Make24(40, 30, [](Integer x, Integer y) {
        return ImgRGB(Byte(x * 6), Byte(y * 8), Byte((x * y) % 256));
    });
    Bmp twoColours =
        Make24(13, 7, [](Integer x, Integer y) { return (x * y) % 3 ? ImgRGB(255, 0, 0) : ImgRGB(0, 0, 255); });
    Bmp grid = Make24(16, 9, [](Integer x, Integer y) { return ImgRGB(Byte((x % 4) * 64), Byte((y % 4) * 64), 128); });
    Bmp oneBit = Make1(21, 5, [](Integer x, Integer y) { return (x + 2 * y) % 3 == 0; });

    struct TCase {
        const char* name;
        TBitmap* bitmap;
        Integer bits;
        bool interlaced;
        bool transparent;
        bool exact;  // no colour reduction: the first frame comes back as it was
        std::vector<TBitmap*> more;  // further frames, inserted at the end
    };
    const TCase cases[] = {
        {"eight bits", photo.get(), 8, false, false, false, {}},
        {"four bits interlaced", grid.get(), 4, true, false, true, {}},
        {"one bit", twoColours.get(), 1, false, false, false, {}},
        {"one-bit bitmap", oneBit.get(), 1, true, true, true, {}},
        {"three bits transparent", grid.get(), 3, false, true, false, {}},
        {"animation", grid.get(), 8, false, false, true, {photo.get(), oneBit.get(), twoColours.get()}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = Path("ours.gif");
        TIOParamsVals p;
        p.BitsPerSample = c.bits;
        p.GIFInterlaced = c.interlaced;
        p.GIFTransparent = c.transparent;
        p.GIFTranspColor = ImgRGB(64, 64, 128);
        p.GIFDelayTime = 12;
        bool aborted = false;
        TProgressRec progress;
        progress.Aborting = &aborted;
        GIFEncodeFile(file, c.bitmap, p, progress);
        ASSERT_FALSE(aborted);
        Integer frames = 1;
        for (size_t i = 0; i < c.more.size(); ++i) {
            TFileStream s(file, fmOpenReadWrite);
            p.GIFImageIndex = frames;
            p.GIFXPos = Integer(i) * 2;
            p.GIFDelayTime = Integer(i) * 5;
            p.BitsPerSample = Integer(i) + 1;
            frames = GIFInsertFrame(&s, c.more[i], p, progress);
            ASSERT_FALSE(aborted);
        }
        ASSERT_EQ(frames, Integer(1 + c.more.size()));

        std::vector<oracle::TImage> ours;
        CheckAgainstReferences(file, ours);
        ASSERT_EQ(ours.size(), size_t(frames));
        // Frames without colour reduction come back as they were.
        if (c.exact) {
            EXPECT_TRUE(ours[0] == oracle::FromBitmap(c.bitmap));
        }

        // gifsicle reads it without complaint, and its re-encoding decodes to the same pixels.
        const TRun info = RunTool("gifsicle --info " + Quote(file) + " 2>&1");
        EXPECT_EQ(info.Status, 0) << info.Output;
        EXPECT_EQ(info.Output.find("warning"), std::string::npos) << info.Output;
        const std::string again = Path("again.gif");
        const TRun re = RunTool("gifsicle " + Quote(file) + " -o " + Quote(again) + " 2>&1");
        EXPECT_EQ(re.Status, 0);
        // Its only note may be about the colour tables it writes itself.
        std::istringstream notes(re.Output);
        for (std::string line; std::getline(notes, line);)
            EXPECT_TRUE(line.find("too many colors") != std::string::npos || line.find("--colors") != std::string::npos)
                << line;
        for (Integer i = 0; i < frames; ++i) EXPECT_TRUE(MagickFrame(again, i) == ours[size_t(i)]) << "frame " << i;
    }
}
