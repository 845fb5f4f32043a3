// Our source manager through the unchanged acquisition engine, scanning from SANE's "test"
// device (no hardware is probed: the configuration names only that backend). The pictures are
// compared pixel for pixel with what scanimage makes of the same device and settings.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "framework/dialog_service.h"
#include "framework/dib_reader.h"
#include "framework/file_utils.h"
#include "framework/list_controls.h"
#include "framework/registry.h"
#include "imaging/formats/twain.h"
#include "platform/sane_dsm/sane_source.h"

namespace {

bool HaveScanimage() {
    return std::system("command -v scanimage > /dev/null 2>&1") == 0;
}

// A picture as 0x00RRGGBB pixels, top row first.
struct TPixels {
    Integer Width = 0;
    Integer Height = 0;
    std::vector<uint32_t> Data;
};

TPixels FromDib(HGLOBAL Dib) {
    TPixels p;
    auto* data = static_cast<const uint8_t*>(GlobalLock(Dib));
    TDibBlock block;
    if (DibReadBlock(data, GlobalSize(Dib), nullptr, 0, block) == TDibError::None) {
        p.Width = Integer(block.Header.Width);
        p.Height = Integer(block.Header.Height);
        p.Data.resize(size_t(p.Width) * size_t(p.Height));
        size_t rowBytes = block.Header.RowBytes();
        for (Integer y = 0; y < p.Height; ++y) {
            Integer stored = block.Header.TopDown ? y : p.Height - 1 - y;
            DibDecodeRow(block.Format, block.Pixels + size_t(stored) * rowBytes, p.Width,
                         &p.Data[size_t(y) * size_t(p.Width)]);
        }
    }
    GlobalUnlock(Dib);
    return p;
}

// A PNM file as scanimage writes it (P4, P5 or P6, 8 or 16 bits), with 16-bit samples cut to
// their high byte.
TPixels FromPnm(const std::string& FileName) {
    std::ifstream in(FileName, std::ios::binary);
    // The next number of the header, past white space and comment lines.
    auto number = [&in] {
        in >> std::ws;
        while (in.peek() == '#') {
            std::string comment;
            std::getline(in, comment);
            in >> std::ws;
        }
        Integer v = 0;
        in >> v;
        return v;
    };
    std::string magic;
    in >> magic;
    Integer width = number(), height = number(), maxval = magic == "P4" ? 1 : number();
    in.get();
    TPixels p{width, height, {}};
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t bytesPerSample = maxval > 255 ? 2 : 1;
    for (Integer y = 0; y < height; ++y)
        for (Integer x = 0; x < width; ++x) {
            uint32_t v = 0;
            if (magic == "P4") {
                size_t at = size_t(y) * size_t((width + 7) / 8) + size_t(x / 8);
                v = at < bytes.size() && (bytes[at] & (0x80 >> (x % 8))) ? 0 : 0xFFFFFF;
            } else {
                size_t channels = magic == "P6" ? 3 : 1;
                size_t at = (size_t(y) * size_t(width) + size_t(x)) * channels * bytesPerSample;
                uint32_t c[3];
                for (size_t k = 0; k < 3; ++k) {
                    size_t i = at + (channels == 3 ? k : 0) * bytesPerSample;
                    c[k] = i < bytes.size() ? bytes[i] : 0;  // big-endian: the high byte first
                }
                v = (c[0] << 16) | (c[1] << 8) | c[2];
            }
            p.Data.push_back(v);
        }
    return p;
}

class SaneSource : public ::testing::Test {
protected:
    // SANE and its test backend stay loaded for the whole run, so that what they leave allocated
    // when closed is told apart by its library (.ci/lsan.supp) instead of an unloaded module.
    static void SetUpTestSuite() {
        void* sane = dlopen("libsane.so.1", RTLD_NOW | RTLD_NODELETE);
        Dl_info info{};
        if (!sane || !dladdr(dlsym(sane, "sane_init"), &info) || !info.dli_fname) return;
        std::string folder = ExtractFilePath(info.dli_fname);
        dlopen((folder + "sane/libsane-test.so.1").c_str(), RTLD_NOW | RTLD_NODELETE);
    }
    void SetUp() override {
        if (!HaveScanimage()) GTEST_SKIP() << "scanimage (sane-utils) is not installed";
        folder_ = GetTempPath() + "lumora_sane_" + std::to_string(::getpid()) + "/";
        ForceDirectories(folder_);
        Write("dll.conf", "test\n");
        Configure("");
        setenv("SANE_CONFIG_DIR", folder_.c_str(), 1);
        SetWindowsDirectory(LUMORA_PROGRAM_DIR);
        TWAIN_SetHideUI(true);
        TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        if (reg.OpenKey(SaneSourceKey, false)) reg.DeleteValue(SaneSourceValue);
        dialogs_.OnUnexpected = [](const TDialogRequest& r) { ADD_FAILURE() << "unexpected dialog: " << r.Text; };
    }
    void TearDown() override {
        if (folder_.empty()) return;
        for (Integer i = 0; i < TWAIN_GetImageCount(); ++i) TWAIN_ReleaseDIB(TWAIN_GetImage(i));
        EXPECT_EQ(TWAIN_GetState(), 1);
        TWAIN_SetHideUI(false);
        SetWindowsDirectory("");
        for (const char* f : {"dll.conf", "test.conf", "oracle.pnm"}) DeleteFile(folder_ + f);
        RemoveDir(folder_);
    }
    void Write(const std::string& Name, const std::string& Text) { std::ofstream(folder_ + Name) << Text; }
    // The test device's settings: a small grey picture at 25 dpi, changed by the Extra lines that
    // follow. Every setting is written, as the backend keeps those of the last configuration
    // read while it stays loaded.
    void Configure(const std::string& Extra) {
        Write("test.conf",
              "resolution 25.0\nbr_x 26.0\nbr_y 12.0\nmode Gray\ndepth 8\nhand-scanner false\nthree-pass false\n"
              "three-pass-order RGB\ntest-picture \"Solid black\"\nread-status-code \"Default\"\n" +
                  Extra);
    }
    TPixels Oracle(const std::string& Options = "") {
        std::string out = folder_ + "oracle.pnm";
        std::string cmd = "scanimage -d test:0 --format=pnm " + Options + " > '" + out + "' 2>/dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return FromPnm(out);
    }

    std::string folder_;
    TScriptedDialogs dialogs_;
};

TEST_F(SaneSource, EachKindOfPictureEqualsScanimagesPixelForPixel) {
    struct Case {
        const char* Name;
        const char* Settings;
        Integer BitCount;
        Integer Colours;
        bool Oracle = true;  // scanimage writes no 1-bit colour
    };
    const Case cases[] = {
        {"colour", "mode Color\ntest-picture \"Color pattern\"\n", 24, 0},
        {"colour, 16-bit samples", "mode Color\ndepth 16\ntest-picture \"Color pattern\"\n", 24, 0},
        {"colour, 1-bit samples", "mode Color\ndepth 1\ntest-picture \"Color pattern\"\n", 24, 0, false},
        {"colour, three passes", "mode Color\nthree-pass true\nthree-pass-order GBR\ntest-picture \"Color pattern\"\n",
         24, 0},
        {"grey", "mode Gray\ntest-picture \"Color pattern\"\n", 8, 256},
        {"grey, 16-bit samples", "mode Gray\ndepth 16\ntest-picture \"Color pattern\"\n", 8, 256},
        {"lineart", "mode Gray\ndepth 1\ntest-picture \"Grid\"\n", 1, 2},
        {"hand scanner", "mode Gray\nhand-scanner true\ntest-picture \"Grid\"\n", 8, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Configure(c.Settings);
        HGLOBAL image = TWAIN_AcquireImages(nullptr, 0);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(TWAIN_GetImageCount(), 1);
        EXPECT_EQ(TWAIN_GetDIBBitCount(image), c.BitCount);
        EXPECT_EQ(TWAIN_GetDIBColorCount(image), c.Colours);
        auto* bi = static_cast<const BITMAPINFOHEADER*>(GlobalLock(image));
        EXPECT_EQ(bi->biXPelsPerMeter, 984);  // 25 dpi
        if (c.BitCount == 1) {
            auto* table = reinterpret_cast<const uint8_t*>(bi + 1);
            EXPECT_EQ(table[0] + table[1] + table[2], 0);
            EXPECT_EQ(table[4] + table[5] + table[6], 3 * 255);
        }
        GlobalUnlock(image);
        TPixels ours = FromDib(image);
        ASSERT_GT(ours.Width, 0);
        if (c.Oracle) {
            TPixels theirs = Oracle();
            EXPECT_EQ(ours.Width, theirs.Width);
            EXPECT_EQ(ours.Height, theirs.Height);
            EXPECT_TRUE(ours.Data == theirs.Data);
        } else {
            // Each channel fully on or off, and the pattern shows more than one colour.
            std::set<uint32_t> colours(ours.Data.begin(), ours.Data.end());
            EXPECT_GT(colours.size(), 2u);
            for (uint32_t v : colours)
                for (int shift : {0, 8, 16}) EXPECT_TRUE(((v >> shift) & 0xFF) % 255 == 0) << std::hex << v;
        }
        TWAIN_ReleaseDIB(image);
        dialogs_.Clear();
    }
    EXPECT_TRUE(dialogs_.Requests().empty());
}

TEST_F(SaneSource, TheScanDialogChoosesTheSettingsOrCancels) {
    Configure("mode Gray\ntest-picture \"Color pattern\"\n");
    TWAIN_SetHideUI(false);
    dialogs_.AnswerForm(mrCancel, [](TCustomForm*) {});
    EXPECT_EQ(TWAIN_AcquireImages(nullptr, 0), nullptr);
    EXPECT_EQ(TWAIN_GetImageCount(), 0);

    // Colour at 50 dpi from the document feeder, which runs out after ten pages.
    dialogs_.AnswerForm(mrOk, [](TCustomForm* f) {
        auto pick = [f](const char* Name, const std::string& Item) {
            auto* box = static_cast<TComboBox*>(f->FindComponent(Name));
            box->SetItemIndex(box->GetItems()->IndexOf(Item));
        };
        pick("cbxMode", "Color");
        pick("cbxResolution", "50 dpi");
        pick("cbxSource", "Automatic Document Feeder");
    });
    HGLOBAL last = TWAIN_AcquireImages(nullptr, 0);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(TWAIN_GetImageCount(), 10);
    EXPECT_EQ(last, TWAIN_GetImage(9));
    EXPECT_EQ(TWAIN_GetDIBBitCount(last), 24);
    TPixels theirs = Oracle("--mode Color --resolution 50");
    for (Integer i = 0; i < TWAIN_GetImageCount(); ++i) {
        TPixels ours = FromDib(TWAIN_GetImage(i));
        EXPECT_EQ(ours.Width, theirs.Width);
        EXPECT_TRUE(ours.Data == theirs.Data) << "page " << i;
    }
    ASSERT_EQ(dialogs_.Requests().size(), 2u);
    EXPECT_EQ(dialogs_.Requests()[1].DialogName, "frmSaneScan");
}

TEST_F(SaneSource, PixelTypesAndCapabilitiesFollowTheScanMode) {
    Configure("mode Color\ntest-picture \"Color pattern\"\n");
    HGLOBAL grey = TWAIN_AcquireImages(nullptr, 1u << TWPT_GRAY);
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(TWAIN_GetDIBBitCount(grey), 8);
    HGLOBAL bw = TWAIN_AcquireImages(nullptr, (1u << TWPT_BW) | (1u << 7));
    ASSERT_NE(bw, nullptr);
    EXPECT_EQ(TWAIN_GetDIBBitCount(bw), 1);
    TWAIN_ReleaseDIB(grey);

    ASSERT_TRUE(TWAIN_OpenSourceManager(nullptr));
    ASSERT_TRUE(TWAIN_OpenDefaultSource());
    EXPECT_EQ(TWAIN_GetPixelType(), TWPT_RGB);
    EXPECT_EQ(TWAIN_GetBitDepth(), 24);
    EXPECT_EQ(TWAIN_GetCurrentUnits(), TWUN_INCHES);
    EXPECT_EQ(TWAIN_SetCurrentUnits(TWUN_CENTIMETERS), 1);
    EXPECT_EQ(TWAIN_GetCurrentUnits(), TWUN_CENTIMETERS);
    EXPECT_EQ(TWAIN_SetCurrentPixelType(TWPT_GRAY), 1);
    EXPECT_EQ(TWAIN_GetPixelType(), TWPT_GRAY);
    EXPECT_EQ(TWAIN_GetBitDepth(), 8);
    EXPECT_EQ(TWAIN_SetBitDepth(24), 0);
    EXPECT_EQ(TWAIN_GetConditionCode(), TWCC_BADVALUE);
    EXPECT_EQ(TWAIN_SetXferCount(2), 1);
    TW_INT16 count = 0;
    EXPECT_EQ(TWAIN_GetCapCurrent(CAP_XFERCOUNT, TWTY_INT16, &count), 1);
    EXPECT_EQ(count, 2);
    TW_UINT16 unused = 0;
    EXPECT_EQ(TWAIN_GetCapCurrent(ICAP_XRESOLUTION, TWTY_UINT16, &unused), 0);
    EXPECT_EQ(TWAIN_GetConditionCode(), TWCC_CAPUNSUPPORTED);
    TWAIN_CloseSourceManager(nullptr);
    TWAIN_UnloadSourceManager();
}

TEST_F(SaneSource, TheChosenDeviceBecomesTheDefaultSource) {
    TWAIN_SetHideUI(false);
    dialogs_.AnswerForm(mrOk, [](TCustomForm* f) {
        auto* list = static_cast<TListBox*>(f->FindComponent("lstSources"));
        EXPECT_EQ(list->GetItems()->GetCount(), 2);
        list->SetItemIndex(1);
    });
    EXPECT_EQ(TWAIN_SelectImageSource(nullptr), 1);
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKeyReadOnly(SaneSourceKey));
    EXPECT_EQ(reg.ReadString(SaneSourceValue), "test:1");

    dialogs_.AnswerForm(mrCancel, [](TCustomForm*) {});
    EXPECT_EQ(TWAIN_SelectImageSource(nullptr), 0);
    dialogs_.AnswerForm(mrCancel, [](TCustomForm*) {});
    TWAIN_AcquireImages(nullptr, 0);
    ASSERT_EQ(dialogs_.Requests().size(), 3u);
    EXPECT_NE(dialogs_.Requests()[2].Caption.find("(test:1)"), std::string::npos) << dialogs_.Requests()[2].Caption;
}

TEST_F(SaneSource, FailuresEndInStateOneWithoutImages) {
    // A read error ends the transfers without a box.
    Configure("read-status-code \"SANE_STATUS_IO_ERROR\"\n");
    EXPECT_EQ(TWAIN_AcquireImages(nullptr, 0), nullptr);
    EXPECT_EQ(TWAIN_GetImageCount(), 0);
    EXPECT_TRUE(dialogs_.Requests().empty());

    // No device at all.
    Write("dll.conf", "");
    dialogs_.Answer(mrOk);
    EXPECT_EQ(TWAIN_AcquireImages(nullptr, 0), nullptr);
    ASSERT_EQ(dialogs_.Requests().size(), 1u);
    EXPECT_EQ(dialogs_.Requests()[0].Text, "Unable to open default Data Source.");
    EXPECT_EQ(TWAIN_LastFailure().ConditionCode, TWCC_NODS);
}

}  // namespace
