// The clipboard: DIBs kept bit for bit, text, brackets and the change notification.

#include <gtest/gtest.h>

#include <cstring>

#include "framework/clipboard.h"
#include "framework/graphics.h"
#include "framework/testing/ui_test.h"

namespace {

// A packed DIB: header, colour table, rows bottom-up padded to 4 bytes.
std::vector<uint8_t> MakeDib(int w, int h, int bpp) {
    int colors = bpp <= 8 ? 1 << bpp : 0;
    size_t stride = ((size_t(w) * size_t(bpp) + 31) / 32) * 4;
    std::vector<uint8_t> d(40 + size_t(colors) * 4 + stride * size_t(h));
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&d[at], &v, 4); };
    put32(0, 40);
    put32(4, uint32_t(w));
    put32(8, uint32_t(h));
    d[12] = 1;
    d[14] = uint8_t(bpp);
    put32(20, uint32_t(stride * size_t(h)));
    for (int i = 0; i < colors; ++i) {
        d[40 + 4 * size_t(i)] = uint8_t(i * 37);
        d[41 + 4 * size_t(i)] = uint8_t(255 - i);
        d[42 + 4 * size_t(i)] = uint8_t(i * 91);
    }
    // Every byte of the rows, padding included, gets its own value.
    for (size_t i = 40 + size_t(colors) * 4; i < d.size(); ++i) d[i] = uint8_t(i * 131 + 7);
    return d;
}

}  // namespace

TEST(ClipboardTest, DibsComeBackBitForBit) {
    uitest::Start();
    for (int bpp : {1, 4, 8, 24, 32}) {
        std::vector<uint8_t> dib = MakeDib(13, 7, bpp);
        Clipboard()->SetAsBytes(CF_DIB, dib);
        EXPECT_TRUE(Clipboard()->HasFormat(CF_DIB)) << bpp;
        EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP)) << bpp;
        EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT)) << bpp;
        EXPECT_EQ(Clipboard()->GetAsBytes(CF_DIB), dib) << bpp;
    }
    // Through global memory blocks as well.
    std::vector<uint8_t> dib = MakeDib(3, 2, 24);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    std::memcpy(GlobalLock(h), dib.data(), dib.size());
    GlobalUnlock(h);
    Clipboard()->SetAsHandle(CF_DIB, h);
    HGLOBAL back = Clipboard()->GetAsHandle(CF_DIB);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(GlobalSize(back), dib.size());
    EXPECT_EQ(std::memcmp(GlobalLock(back), dib.data(), dib.size()), 0);
    GlobalUnlock(back);
    GlobalFree(back);
}

TEST(ClipboardTest, BracketsReplaceOnceAndNotifyOnClose) {
    uitest::Start();
    int changes = 0;
    TObject key;
    Clipboard()->AddChangeListener(&key, [&](TObject*) { ++changes; });
    Clipboard()->SetAsText("before");
    uitest::ProcessEvents();
    int afterFirst = changes;
    EXPECT_GE(afterFirst, 1);

    UINT names = RegisterClipboardFormat("FileNameList");
    EXPECT_EQ(RegisterClipboardFormat("FileNameList"), names);
    EXPECT_GE(names, 0xC000u);
    Clipboard()->Open();
    Clipboard()->SetAsText("text");
    Clipboard()->SetAsBytes(names, {1, 2, 3});
    EXPECT_EQ(changes, afterFirst);  // nothing until Close
    Clipboard()->Close();
    uitest::ProcessEvents();
    EXPECT_GT(changes, afterFirst);
    EXPECT_EQ(Clipboard()->GetAsText(), "text");
    EXPECT_EQ(Clipboard()->GetAsBytes(names), (std::vector<uint8_t>{1, 2, 3}));

    // Outside a bracket a write replaces everything.
    Clipboard()->SetAsText("alone");
    EXPECT_FALSE(Clipboard()->HasFormat(names));
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
    Clipboard()->RemoveChangeListener(&key);
}

TEST(ClipboardTest, TextKeepsItsBytesBesideAPicture) {
    uitest::Start();
    const std::string text = "Gr\xC3\xB6\xC3\x9F" "e\t\xE2\x82\xAC\r\n\r\nend";
    std::vector<uint8_t> dib = MakeDib(2, 2, 24);
    Clipboard()->Open();
    Clipboard()->SetAsText(text);
    Clipboard()->SetAsBytes(CF_DIB, dib);
    Clipboard()->Close();
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard()->GetAsText(), text);
    EXPECT_EQ(Clipboard()->GetAsBytes(CF_TEXT), std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(Clipboard()->GetAsBytes(CF_DIB), dib);
    EXPECT_EQ(uitest::ClipboardImage().Width, 2);
    // Text given as bytes replaces it.
    Clipboard()->SetAsBytes(CF_TEXT, {'a', 'b'});
    EXPECT_EQ(Clipboard()->GetAsText(), "ab");
    EXPECT_FALSE(Clipboard()->HasFormat(CF_DIB));
}

TEST(ClipboardTest, BitmapsGoOnAsDibsAndComeBack) {
    uitest::Start();
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(5, 3);
    bmp.GetCanvas()->GetBrush()->SetColor(clBlue);
    bmp.GetCanvas()->FillRect({0, 0, 5, 3});
    bmp.GetCanvas()->SetPixels(4, 2, clRed);
    Clipboard()->Assign(&bmp);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_DIB));
    std::vector<uint8_t> dib = Clipboard()->GetAsBytes(CF_DIB);
    ASSERT_GE(dib.size(), 40u);
    EXPECT_EQ(dib[14], 24);  // bits per pixel

    TBitmap back;
    back.Assign(Clipboard());
    EXPECT_EQ(back.GetWidth(), 5);
    EXPECT_EQ(back.GetHeight(), 3);
    EXPECT_EQ(back.GetCanvas()->GetPixels(0, 0), clBlue);
    EXPECT_EQ(back.GetCanvas()->GetPixels(4, 2), clRed);

    Clipboard()->SetAsText("no picture");
    EXPECT_THROW(back.Assign(Clipboard()), EInvalidGraphic);
}

TEST(ClipboardTest, OtherProgramsSeeAnOrdinaryImageAndGiveOne) {
    uitest::Start();
    // A 2 x 2 DIB of 1 bit per pixel with a red and blue palette, rows bottom-up.
    std::vector<uint8_t> dib = MakeDib(2, 2, 1);
    const uint8_t palette[8] = {0, 0, 255, 0, 255, 0, 0, 0};  // red, blue (blue, green, red, 0)
    std::memcpy(&dib[40], palette, 8);
    dib[48] = 0x40;  // bottom row: red, blue
    dib[52] = 0x80;  // top row: blue, red
    Clipboard()->SetAsBytes(CF_DIB, dib);
    uitest::TCapture seen = uitest::ClipboardImage();
    ASSERT_EQ(seen.Width, 2);
    EXPECT_EQ(seen.Pixel(0, 0), clBlue);
    EXPECT_EQ(seen.Pixel(1, 0), clRed);
    EXPECT_EQ(seen.Pixel(0, 1), clRed);
    EXPECT_EQ(seen.Pixel(1, 1), clBlue);

    uitest::TCapture given;
    given.Width = 3;
    given.Height = 1;
    given.Pixels = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};  // red, green, blue
    uitest::SetClipboardImageFromOtherProgram(given);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_DIB));
    TBitmap bmp;
    bmp.Assign(Clipboard());
    EXPECT_EQ(bmp.GetCanvas()->GetPixels(0, 0), clRed);
    EXPECT_EQ(bmp.GetCanvas()->GetPixels(1, 0), clLime);
    EXPECT_EQ(bmp.GetCanvas()->GetPixels(2, 0), clBlue);
}
