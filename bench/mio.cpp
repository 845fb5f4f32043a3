// The multi-frame I/O component:
//  - loading and saving 200 frames of GIF and of TIFF against 20 (each frame a 160 x 120 picture
//    of its own): the long file should cost at most 12 times the short one (linear);
//  - loading a 100-frame AVI (640 x 480, uncompressed and Motion JPEG, both made by ffmpeg) into
//    the view against ffmpeg decoding the same file ("ffmpeg -i FILE -f null -", timed as a whole
//    program run): at most 1.5 times; the memory the frames held goes back when the view is
//    cleared (at most a tenth of it still resident).
// The frame counts are timed by the process's processor time, best of ten, the short and the long
// file by turns: on a loaded machine the wall time of a long run counts the waits for a processor
// that a run of a millisecond escapes, which is no growth of our work. The AVI clips are timed by
// the wall clock, best of three, as ffmpeg is. Usage: mio WORK_FOLDER [FFMPEG]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "bench/peak_memory.h"
#include "bench/peer_timing.h"
#include "bench/synthetic_photo.h"
#include "framework/backend.h"
#include "framework/forms.h"
#include "imaging/controls/imago_mio.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/formats/lzw_coders.h"

namespace {

using namespace bench;

struct TBench {
    TForm* Form = nullptr;
    TImagoMView* View = nullptr;
    TImagoMIO* IO = nullptr;
    TBench() {
        Form = new TForm(nullptr);
        View = new TImagoMView(Form);
        View->SetParent(Form);
        IO = new TImagoMIO(Form);
        IO->SetAttachedMView(View);
    }
    ~TBench() { Form->Free(); }
    TBench(const TBench&) = delete;
    TBench& operator=(const TBench&) = delete;
};

// The view filled with Count frames, each the synthetic picture shifted by its number.
void Fill(TBench& b, Integer Count) {
    b.View->Clear();
    TBitmap picture;
    FillSyntheticPhoto(&picture, 320, 240);
    TBitmap frame;
    frame.SetPixelFormat(pf24bit);
    frame.SetSize(160, 120);
    for (Integer i = 0; i < Count; ++i) {
        for (Integer y = 0; y < 120; ++y)
            std::memcpy(frame.ScanLine(y), static_cast<TImgRGB*>(picture.ScanLine(y + i % 120)) + i % 160, 160 * 3);
        b.View->SetImage(b.View->AppendImage(), &frame);
    }
}

// Processor time of the process that Work takes, in ms.
double ProcessorTime(const std::function<void()>& Work) {
    auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    const double t0 = now();
    Work();
    return now() - t0;
}

struct TTimes {
    double Save = 1e300, Load = 1e300;
    bool Ok = true;
};

// The short and the long file of one format, saved and loaded by turns so that both meet the same
// load of the machine; best of Runs each.
void TimeFormat(const std::string& Work, const char* Ext, TTimes& Short, TTimes& Long) {
    constexpr int Runs = 10;
    struct TCase {
        TBench Bench;
        Integer Count;
        std::string File;
        TTimes& Times;
    };
    TCase cases[] = {{{}, 20, Work + "/short." + Ext, Short}, {{}, 200, Work + "/long." + Ext, Long}};
    for (TCase& c : cases) Fill(c.Bench, c.Count);
    for (int r = 0; r < Runs; ++r)
        for (TCase& c : cases) {
            c.Times.Save = std::min(c.Times.Save, ProcessorTime([&] { c.Bench.IO->SaveToFile(c.File); }));
            c.Times.Ok = c.Times.Ok && !c.Bench.IO->GetAborting();
        }
    for (int r = 0; r < Runs; ++r)
        for (TCase& c : cases) {
            c.Times.Load = std::min(c.Times.Load, ProcessorTime([&] {
                                        c.Bench.View->Clear();
                                        c.Bench.IO->LoadFromFile(c.File);
                                    }));
            c.Times.Ok = c.Times.Ok && !c.Bench.IO->GetAborting() && c.Bench.View->ImageCount() == c.Count;
        }
}

bool Linear(const char* What, double Long, double Short) {
    const double ratio = Short > 0 ? Long / Short : 0;
    Report(std::string("mio_") + What + "_200_frames", Long, std::string(What) + "_20_frames", Short);
    std::printf("%s of 200 frames takes %.2f times 20: target at most 12 %s\n", What, ratio,
                ratio <= 12 ? "met" : "NOT met");
    return ratio <= 12;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string work =
        argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "lumora_bench_mio").string();
    const std::string ffmpeg = argc > 2 ? argv[2] : "ffmpeg";
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureBackend();
    InstallLZWCoders();
    std::filesystem::create_directories(work);
    bool ok = true;

    for (const char* ext : {"gif", "tif"}) {
        TTimes shortFile, longFile;
        TimeFormat(work, ext, shortFile, longFile);
        if (!shortFile.Ok || !longFile.Ok) {
            std::printf("mio: %s frames did not round-trip: NOT met\n", ext);
            ok = false;
            continue;
        }
        ok = Linear((std::string(ext) + "_load").c_str(), longFile.Load, shortFile.Load) && ok;
        ok = Linear((std::string(ext) + "_save").c_str(), longFile.Save, shortFile.Save) && ok;
    }

    for (const auto& [name, codec] :
         {std::pair<const char*, const char*>{"raw", "-c:v rawvideo -pix_fmt bgr24"}, {"mjpeg", "-c:v mjpeg -q:v 3"}}) {
        const std::string file = work + "/clip_" + name + ".avi";
        if (std::system((ffmpeg + " -v error -y -f lavfi -i testsrc=size=640x480:rate=25 -frames:v 100 " + codec +
                         " '" + file + "'")
                            .c_str()) != 0) {
            std::printf("mio: %s cannot make the AVI clip: NOT met\n", ffmpeg.c_str());
            ok = false;
            continue;
        }
        TBench b;
        const double before = CurrentMiB();
        ResetPeak();
        const double ours = Best(3, [&] {
            b.View->Clear();
            b.IO->LoadFromFile(file);
        });
        const bool loaded = !b.IO->GetAborting() && b.View->ImageCount() == 100;
        const double peak = PeakMiB();
        b.View->Clear();
        const double held = peak - before, kept = CurrentMiB() - before;
        const bool returned = kept <= held / 10;
        std::printf("memory of a 100-frame %s AVI: %.0f MiB held at the peak, %.0f MiB kept after clearing the view: "
                    "target at most a tenth kept %s\n",
                    name, held, kept, returned ? "met" : "NOT met");
        ok = ok && returned;
        const double peer = RunBest(ffmpeg + " -v error -i '" + file + "' -f null -");
        Report(std::string("mio_avi_") + name + "_load_100_frames", ours, "ffmpeg", peer);
        const double ratio = peer > 0 ? ours / peer : 0;
        const bool met = loaded && peer > 0 && ratio <= 1.5;
        std::printf("loading a 100-frame %s AVI takes %.2f times ffmpeg: target at most 1.5 %s\n", name, ratio,
                    met ? "met" : "NOT met");
        ok = ok && met;
    }
    std::filesystem::remove_all(work);
    return ok ? 0 : 1;
}
