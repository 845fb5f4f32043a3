// AVI files against ffmpeg (scripts/packages/formats-avi.txt): clips ffmpeg makes decode to the
// frames ffmpeg decodes, and the files we write pass ffprobe and decode in ffmpeg to our frames.
// Skipped when ffmpeg is missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/formats/avi_file.h"
#include "imaging/formats/tests/avi_test_support.h"
#include "imaging/formats/tests/reference_tools.h"
#include "imaging/tests/image_fixture.h"

using namespace reftools;

namespace {

bool HaveFFmpeg() {
    return oracle::HaveTool("ffmpeg") && oracle::HaveTool("ffprobe");
}

// Frame Index of the file as ffmpeg decodes it, the chroma of YUV frames interpolated as libjpeg
// does for JPEG frames (SmoothChroma), else repeated as our YUV layouts do.
oracle::TImage FFmpegFrame(const std::string& File, int Index, bool SmoothChroma) {
    return ReferencePixels("ffmpeg -v error -i '" + File + "' -vf 'select=eq(n\\," + std::to_string(Index) +
                           ")' -sws_flags accurate_rnd" + (SmoothChroma ? "+full_chroma_int" : "") +
                           " -frames:v 1 -f image2pipe -c:v ppm -");
}

struct TOurs {
    bool Opened = false;
    Integer Delay = 0;
    std::vector<oracle::TImage> Frames;
};

TOurs DecodeOurs(const std::string& File) {
    const Bytes bytes = ReadFile(File);
    auto s = StreamOf(bytes);
    TOurs ours;
    TAviReader reader;
    ours.Opened = reader.Open(s.get());
    if (!ours.Opened) return ours;
    ours.Delay = reader.FrameDelay();
    TAviFrameReader frames(reader);
    for (Integer i = 0; i < reader.GetFrameCount(); ++i) {
        TBitmap b;
        if (!frames.GetFrame(i, &b)) break;
        ours.Frames.push_back(oracle::FromBitmap(&b));
    }
    return ours;
}

// Our frames against ffmpeg's: exact for stored pixels, close for YUV and JPEG (whose colour
// conversions round apart).
void ExpectSameFrames(const std::string& File, size_t Count, int MaxDiff, double MeanDiff, bool SmoothChroma = false) {
    const TOurs ours = DecodeOurs(File);
    ASSERT_TRUE(ours.Opened) << File;
    ASSERT_EQ(ours.Frames.size(), Count) << File;
    for (size_t i = 0; i < Count; ++i) {
        const oracle::TImage theirs = FFmpegFrame(File, int(i), SmoothChroma);
        ASSERT_GT(theirs.Width, 0) << File << " frame " << i;
        EXPECT_LE(MaxDifference(ours.Frames[i], theirs), MaxDiff) << File << " frame " << i;
        EXPECT_GE(MaxDifference(ours.Frames[i], theirs), 0) << File << " frame " << i;
        EXPECT_LE(MeanDifference(ours.Frames[i], theirs), MeanDiff) << File << " frame " << i;
    }
}

TEST(AviConformance, ClipsMadeByFFmpegDecodeToFFmpegsFrames) {
    if (!HaveFFmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    struct Case {
        const char* name;
        const char* options;
        int maxDiff;
        double meanDiff;
    };
    const std::vector<Case> cases = {
        {"bgr24", "-c:v rawvideo -pix_fmt bgr24", 0, 0},
        {"bgr24_flipped", "-c:v rawvideo -pix_fmt bgr24 -flipped_raw_rgb 1", 0, 0},
        {"pal8", "-c:v rawvideo -pix_fmt pal8", 0, 0},
        {"rgb555", "-c:v rawvideo -pix_fmt rgb555le", 8, 4},
        {"yuyv422", "-c:v rawvideo -pix_fmt yuyv422", 40, 3},
        {"mjpeg", "-c:v mjpeg -pix_fmt yuvj422p -q:v 3", 48, 3},
    };
    for (const Case& c : cases) {
        const std::string file = TempPath(std::string("ffmpeg_") + c.name + ".avi");
        ASSERT_EQ(reftools::Run("ffmpeg -v error -y -f lavfi -i testsrc=size=48x32:rate=8 -frames:v 5 " +
                                std::string(c.options) + " '" + file + "'"),
                  0)
            << c.name;
        const TOurs ours = DecodeOurs(file);
        EXPECT_EQ(ours.Delay, 125) << c.name;
        ExpectSameFrames(file, 5, c.maxDiff, c.meanDiff, std::string(c.name) == "mjpeg");
    }
}

// ffmpeg here writes no Microsoft RLE, so the clip is made by a small encoder of our own: a key
// frame of runs, then frames that skip what did not change.
TEST(AviConformance, RunLengthClipsDecodeLikeFFmpeg) {
    if (!HaveFFmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const Integer w = 24, h = 10;
    std::vector<TImgRGB> palette;
    for (Integer i = 0; i < 16; ++i) palette.push_back(ImgRGB(Byte(i * 16), Byte(255 - i * 16), Byte(i * 7)));
    auto index = [](Integer frame, Integer x, Integer y) {
        return Byte((x / 3 + y / 2 + (x > 8 && y > 4 ? frame : 0)) % 16);
    };
    avitest::TAvi avi;
    avi.Format = avitest::BitmapInfo(w, h, 8, BI_RLE8, palette);
    for (Integer f = 0; f < 4; ++f) {
        avitest::TBytes data;
        for (Integer row = 0; row < h; ++row) {  // the bottom row first
            const Integer y = h - 1 - row;
            Integer x = 0;
            if (f > 0 && !(y > 4)) {  // nothing changed in this row: skip it with an end of line
                data.insert(data.end(), {0, 0});
                continue;
            }
            if (f > 0) {
                data.insert(data.end(), {0, 2, 9, 0});  // over the columns that did not change
                x = 9;
            }
            while (x < w) {
                Integer n = 1;
                while (x + n < w && n < 255 && index(f, x + n, y) == index(f, x, y)) ++n;
                data.insert(data.end(), {Byte(n), index(f, x, y)});
                x += n;
            }
            data.insert(data.end(), {0, 0});
        }
        data.insert(data.end(), {0, 1});
        avi.Frames.push_back(data);
        avi.NotKey.push_back(f > 0);
    }
    const std::string file = TempPath("ours_msrle.avi");
    WriteFile(file, avitest::Build(avi));
    ExpectSameFrames(file, 4, 0, 0);
}

// Our files: ffprobe finds a video stream with every frame at the rate written, and ffmpeg
// decodes the frames we decode.
TEST(AviConformance, FilesWeWritePassFFprobeAndDecodeInFFmpeg) {
    if (!HaveFFmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    Bmp a = Make24(36, 20, [](Integer x, Integer y) { return ImgRGB(Byte(x * 7), Byte(y * 12), Byte(x * y)); });
    Bmp b = Make24(36, 20, [](Integer x, Integer y) { return ImgRGB(Byte(255 - x * 7), Byte(y * 3), 90); });
    Bmp mono = Make1(36, 20, [](Integer x, Integer y) { return (x / 3 + y / 2) % 2 == 0; });
    struct Case {
        const char* name;
        Integer bits;
        bool jpeg;
        const char* codec;
        int maxDiff;
        double meanDiff;
    };
    for (const Case& c : std::vector<Case>{{"raw24", 24, false, "rawvideo", 0, 0},
                                           {"raw1", 1, false, "rawvideo", 0, 0},
                                           {"mjpeg", 24, true, "mjpeg", 48, 3}}) {
        TMemoryStream s;
        TAviWriteOptions options;
        options.MotionJPEG = c.jpeg;
        options.Quality = 90;
        TAviWriter writer(&s, 36, 20, c.bits, 1, 8, options);
        for (TBitmap* frame : {a.get(), b.get(), mono.get()}) ASSERT_TRUE(writer.AddFrame(frame));
        writer.Finish();
        const std::string file = TempPath(std::string("ours_") + c.name + ".avi");
        WriteFile(file, BytesOf(s));
        const TToolRun probe = RunTool(
            "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
            "stream=codec_name,width,height,r_frame_rate,nb_read_frames -of csv=p=0 '" +
            file + "' 2>&1");
        EXPECT_EQ(probe.Status, 0) << c.name;
        EXPECT_EQ(probe.Output, std::string(c.codec) + ",36,20,8/1,3\n") << c.name;
        ExpectSameFrames(file, 3, c.maxDiff, c.meanDiff, c.jpeg);
    }
}

}  // namespace
