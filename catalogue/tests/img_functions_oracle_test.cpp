// The image-utility component against reference tools (scripts/packages/catalogue.txt): picture
// properties against ImageMagick's identify, scaled JPEG sizes against djpeg, thumbnails against
// ImageMagick's Lanczos resize, and a printed page against pdftoppm. Each test skips when its tool
// is missing.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "catalogue/img_functions.h"
#include "framework/graphics.h"
#include "framework/printers.h"
#include "framework/testing/tool_run.h"
#include "framework/tests/scratch_folder.h"

namespace {

using testtools::RunTool;

bool HaveTool(const std::string& Tool) { return RunTool("command -v " + Tool + " >/dev/null 2>&1").Status == 0; }

std::string Quote(const std::string& S) { return "'" + S + "'"; }

class ImgFunctionsOracleTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        f = new TImgFunctions(nullptr);
    }
    void TearDown() override {
        f->Free();
        ScratchFolderTest::TearDown();
    }
    // Makes a fixture with ImageMagick from its built-in rose picture.
    std::string Magick(const std::string& Options, const std::string& Name, const std::string& Prefix = "") {
        const std::string path = dir_ + Name;
        EXPECT_EQ(RunTool("convert rose: " + Options + " " + Quote(Prefix + path) + " 2>&1").Status, 0) << Name;
        return path;
    }
    TImgFunctions* f = nullptr;
};

// Bits per pixel as identify sees the file: the sample depth times the channels, except that a
// palette picture counts by its colours.
struct TIdentified {
    Integer Width = 0, Height = 0, Depth = 0, Channels = 0, Colours = 0;
    std::string Type;
};

TIdentified Identify(const std::string& Path) {
    TIdentified r;
    const auto run = RunTool("identify -format '%w %h %z %[channels] %[type] %k\\n' " + Quote(Path) + " 2>/dev/null");
    std::istringstream in(run.Output);
    std::string channels;
    in >> r.Width >> r.Height >> r.Depth >> channels >> r.Type >> r.Colours;
    r.Channels = channels == "gray" ? 1 : channels == "graya" ? 2 : channels == "srgb" ? 3 : channels == "srgba" ? 4 : 0;
    return r;
}

TEST_F(ImgFunctionsOracleTest, PropertiesMatchIdentifyForEveryFormatWeRead) {
    if (!HaveTool("identify") || !HaveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    // Depth: the bits per pixel our readers report where they differ from what identify counts:
    // the JPEG reader delivers colour whatever the file holds, and icons are read without their
    // alpha channel.
    struct Fixture {
        std::string Name, Options, Prefix;
        Integer Type;
        Integer Depth = 0;
    };
    const Fixture fixtures[] = {
        {"rgb.tif", "-resize 40x30!", "", 1},   {"pal.gif", "-resize 40x30!", "", 2},
        {"photo.jpg", "", "", 3},               {"gray.jpg", "-colorspace gray", "", 3, 24},
        {"rgb.pcx", "-resize 41x29!", "", 4},   {"rgb.bmp", "", "BMP3:", 5},
        {"mono.bmp", "-monochrome", "BMP3:", 5}, {"icon.ico", "-resize 32x32!", "", 6, 24},
        {"rgb.png", "", "", 8},                 {"gray.png", "-colorspace gray -depth 8", "", 8},
        {"pal.png", "-colors 16", "PNG8:", 8},  {"rgb.tga", "-resize 33x17!", "", 11},
    };
    for (const Fixture& fx : fixtures) {
        SCOPED_TRACE(fx.Name);
        const std::string path = Magick(fx.Options, fx.Name, fx.Prefix);
        const TIdentified id = Identify(path);
        TImageProperties p;
        ASSERT_TRUE(f->GetImageFileProperties(path, p));
        EXPECT_EQ(p.FileType, fx.Type);
        EXPECT_EQ(p.FileTypeText, TImgFunctions::FileTypeToStr(fx.Type));
        EXPECT_EQ(p.Width, id.Width);
        EXPECT_EQ(p.Height, id.Height);
        if (fx.Depth) {
            EXPECT_EQ(p.BitDepth, fx.Depth);
        } else if (id.Type == "Palette" || id.Type == "Bilevel") {
            EXPECT_LE(p.BitDepth, 8);
            EXPECT_GE(1 << p.BitDepth, id.Colours);
        } else {
            EXPECT_EQ(p.BitDepth, id.Depth * id.Channels);
        }
        EXPECT_EQ(p.ColoursText, TImgFunctions::BitDepthToStr(p.BitDepth));
        std::string ext = fx.Name.substr(fx.Name.find('.'));
        if (ext == ".tif") ext = ".tiff";
        EXPECT_EQ(TImgFunctions::GetFormatExtension(path), ext);
    }
}

TEST_F(ImgFunctionsOracleTest, ScaledJPEGSizesMatchDjpeg) {
    if (!HaveTool("djpeg") || !HaveTool("convert")) GTEST_SKIP() << "djpeg or ImageMagick is not installed";
    const std::string path = Magick("-resize 1001x667!", "big.jpg");
    struct Box {
        Integer W, H, Eighths;
    };
    for (const Box& b : {Box{90, 75, 1}, Box{250, 170, 2}, Box{400, 300, 4}, Box{1000, 600, 8}, Box{10, 10, 1}}) {
        const auto run = RunTool("djpeg -scale " + std::to_string(b.Eighths) + "/8 -pnm " + Quote(path) + " | head -c 20");
        std::istringstream in(run.Output);
        std::string magic;
        Integer w = 0, h = 0;
        in >> magic >> w >> h;
        TBitmap bitmap;
        ASSERT_TRUE(f->LoadGraphicAtSize(&bitmap, path, false, b.W, b.H));
        EXPECT_EQ(bitmap.GetWidth(), w) << b.W << "x" << b.H;
        EXPECT_EQ(bitmap.GetHeight(), h) << b.W << "x" << b.H;
    }
}

TEST_F(ImgFunctionsOracleTest, ThumbnailsAgreeWithALanczosResize) {
    if (!HaveTool("convert") || !HaveTool("compare")) GTEST_SKIP() << "ImageMagick is not installed";
    const std::string source = Magick("-resize 280x184!", "source.png");
    f->CreateThumbnailFile(source, dir_ + "ours.png", false, true, 0, 90, 75);
    TImageProperties p;
    ASSERT_TRUE(f->GetImageFileProperties(dir_ + "ours.png", p));
    ASSERT_EQ(RunTool("convert " + Quote(source) + " -filter Lanczos -resize " + std::to_string(p.Width) + "x" +
                      std::to_string(p.Height) + "! " + Quote(dir_ + "theirs.png"))
                  .Status,
              0);
    const auto run = RunTool("compare -metric PSNR " + Quote(dir_ + "ours.png") + " " + Quote(dir_ + "theirs.png") +
                             " null: 2>&1");
    const double psnr = std::atof(run.Output.c_str());
    EXPECT_GT(psnr, 25.0) << run.Output;
    EXPECT_EQ(p.Width, 90);
    EXPECT_EQ(p.Height, 59);
}

// Reads a binary PPM (P6).
bool ReadPPM(const std::string& Path, Integer& W, Integer& H, std::string& Pixels) {
    std::ifstream in(Path, std::ios::binary);
    std::string magic;
    Integer max = 0;
    in >> magic >> W >> H >> max;
    in.get();
    Pixels.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return magic == "P6" && Pixels.size() >= size_t(W) * size_t(H) * 3;
}

TEST_F(ImgFunctionsOracleTest, APrintedPictureFillsThePageCentred) {
    if (!HaveTool("pdftoppm")) GTEST_SKIP() << "poppler-utils is not installed";
    TBitmap red;
    red.SetPixelFormat(pf24bit);
    red.SetSize(50, 50);
    red.GetCanvas()->GetBrush()->SetColor(clRed);
    red.GetCanvas()->FillRect(TRect{0, 0, 50, 50});
    ASSERT_TRUE(f->SaveBitmapToFile(&red, dir_ + "red.bmp", false, false, 0));

    const std::string pdf = dir_ + "page.pdf";
    Printer()->SetFileName(pdf);
    const bool printed = f->PrintImageFile(dir_ + "red.bmp", 0, false, true, true, 0);
    Printer()->SetFileName("");
    ASSERT_TRUE(printed);
    ASSERT_EQ(RunTool("pdftoppm -r 10 -singlefile " + Quote(pdf) + " " + Quote(dir_ + "page")).Status, 0);
    Integer w = 0, h = 0;
    std::string px;
    ASSERT_TRUE(ReadPPM(dir_ + "page.ppm", w, h, px));
    ASSERT_GT(h, w);
    // The colour at (x, y) is near red (or white), allowing for the renderer's rounding.
    auto near = [&](Integer x, Integer y, Byte R, Byte G, Byte B) {
        const size_t i = (size_t(y) * size_t(w) + size_t(x)) * 3;
        return std::abs(Byte(px[i]) - R) <= 6 && std::abs(Byte(px[i + 1]) - G) <= 6 && std::abs(Byte(px[i + 2]) - B) <= 6;
    };
    // A square on a portrait page: the full width, centred in height, white above and below.
    EXPECT_TRUE(near(w / 2, h / 2, 255, 0, 0));
    EXPECT_TRUE(near(2, h / 2, 255, 0, 0));
    EXPECT_TRUE(near(w / 2, 1, 255, 255, 255));
    EXPECT_TRUE(near(w / 2, h - 2, 255, 255, 255));
}

}  // namespace
