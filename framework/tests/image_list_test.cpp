// Image lists, pictures and their graphic-class registry, icons, and the named resources with the
// cursor table.

#include <gtest/gtest.h>

#include <cstring>

#include "framework/image_list.h"
#include "framework/drag_image.h"
#include "framework/resources.h"
#include "framework/stream.h"
#include "framework/tests/graphics_fixture.h"

namespace {

using lumora_test::Ink;
using lumora_test::Px;

class ImageListTest : public lumora_test::GraphicsTest {
protected:
    // A strip of two 3 x 2 images on fuchsia: the first with a red dot at (1, 0), the second
    // with a blue dot at (2, 1).
    TBitmap* Strip() {
        TBitmap* s = Bitmap(6, 2, clFuchsia);
        s->GetCanvas()->SetPixels(1, 0, clRed);
        s->GetCanvas()->SetPixels(5, 1, clBlue);
        return s;
    }
};

TEST_F(ImageListTest, AddMaskedSplitsAStripAndDrawsTransparently) {
    TImageList list(nullptr);
    list.SetWidth(3);
    list.SetHeight(2);
    EXPECT_EQ(list.AddMasked(Strip(), clFuchsia), 0);
    EXPECT_EQ(list.GetCount(), 2);
    TBitmap* dst = Bitmap(7, 2, clYellow);
    list.Draw(dst->GetCanvas(), 0, 0, 0);
    list.Draw(dst->GetCanvas(), 4, 0, 1);
    EXPECT_EQ(Ink(dst, clYellow), "#.#####\n######.\n");
    EXPECT_EQ(Px(dst, 1, 0), clRed);
    EXPECT_EQ(Px(dst, 6, 1), clBlue);
    EXPECT_EQ(Ink(dst, clFuchsia), ".......\n.......\n");
    // With a background colour the masked pixels take it.
    list.SetBkColor(clAqua);
    list.Draw(dst->GetCanvas(), 0, 0, 0);
    EXPECT_EQ(Px(dst, 0, 0), clAqua);
    list.Draw(dst->GetCanvas(), 4, 0, 0, dsTransparent, itImage);
    EXPECT_EQ(Px(dst, 4, 1), clYellow);
}

TEST_F(ImageListTest, AddWithAMaskBitmapAndDrawTheMask) {
    TImageList list(nullptr);
    list.SetWidth(2);
    list.SetHeight(1);
    TBitmap* image = Bitmap(2, 1, clGreen);
    TBitmap mask;
    mask.SetPixelFormat(pf1bit);
    mask.SetSize(2, 1);
    static_cast<Byte*>(mask.ScanLine(0))[0] = 0x80;  // pixel 0 transparent
    list.Add(image, &mask);
    TBitmap* dst = Bitmap(2, 1, clYellow);
    list.Draw(dst->GetCanvas(), 0, 0, 0);
    EXPECT_EQ(Px(dst, 0, 0), clYellow);
    EXPECT_EQ(Px(dst, 1, 0), clGreen);
    list.Draw(dst->GetCanvas(), 0, 0, 0, dsNormal, itMask);
    EXPECT_EQ(Px(dst, 0, 0), clWhite);
    EXPECT_EQ(Px(dst, 1, 0), clBlack);
    list.Add(image, nullptr);  // no mask: opaque
    list.Draw(dst->GetCanvas(), 0, 0, 1);
    EXPECT_EQ(Px(dst, 0, 0), clGreen);
}

TEST_F(ImageListTest, SelectedBlendsAndDisabledEmbosses) {
    TImageList list(nullptr);
    list.SetWidth(3);
    list.SetHeight(2);
    list.AddMasked(Strip(), clFuchsia);
    TBitmap* dst = Bitmap(3, 2, clWhite);
    list.Draw(dst->GetCanvas(), 0, 0, 0, dsSelected, itImage);
    // Half red, half the highlight colour (navy).
    EXPECT_EQ(Px(dst, 1, 0), TColor(0x400080));
    EXPECT_EQ(Px(dst, 0, 0), clWhite);
    TBitmap* off = Bitmap(4, 3, clSilver);
    list.Draw(off->GetCanvas(), 0, 0, 0, false);
    EXPECT_EQ(Px(off, 1, 0), clGray);   // the ink in shadow
    EXPECT_EQ(Px(off, 2, 1), clWhite);  // and in highlight one pixel down-right
    EXPECT_EQ(Px(off, 0, 0), clSilver);
}

TEST_F(ImageListTest, OverlaysDrawOnTop) {
    TImageList list(nullptr);
    list.SetWidth(3);
    list.SetHeight(2);
    list.AddMasked(Strip(), clFuchsia);
    EXPECT_TRUE(list.Overlay(1, 0));
    EXPECT_FALSE(list.Overlay(5, 0));
    TBitmap* dst = Bitmap(3, 2, clWhite);
    list.DrawOverlay(dst->GetCanvas(), 0, 0, 0, 0);
    EXPECT_EQ(Px(dst, 1, 0), clRed);
    EXPECT_EQ(Px(dst, 2, 1), clBlue);
}

TEST_F(ImageListTest, EditingTheListAndIndexErrors) {
    TImageList list(nullptr);
    list.SetWidth(3);
    list.SetHeight(2);
    list.AddMasked(Strip(), clFuchsia);
    list.Move(0, 1);
    TBitmap* dst = Bitmap(3, 2, clWhite);
    list.Draw(dst->GetCanvas(), 0, 0, 1);
    EXPECT_EQ(Px(dst, 1, 0), clRed);
    list.Delete(0);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_THROW(list.Delete(3), EInvalidOperation);
    EXPECT_THROW(list.Replace(-1, dst, nullptr), EInvalidOperation);
    TBitmap* green = Bitmap(3, 2, clGreen);
    list.ReplaceMasked(0, green, clNone);
    TBitmap out;
    list.GetBitmap(0, &out);
    EXPECT_EQ(out.GetWidth(), 3);
    EXPECT_EQ(Px(&out, 2, 1), clGreen);
    list.SetWidth(4);  // a new size empties the list
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(ImageListTest, ChangeLinksHearChangesUntilFreed) {
    TImageList list(nullptr);
    int heard = 0, events = 0;
    list.OnChange = [&](TObject*) { ++events; };
    auto* link = new TChangeLink;
    link->OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++heard;
    };
    list.RegisterChanges(link);
    EXPECT_EQ(link->GetSender(), &list);
    list.BeginUpdate();
    list.AddMasked(Strip(), clNone);
    list.AddMasked(Strip(), clNone);
    EXPECT_EQ(heard, 0);
    list.EndUpdate();
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(events, 1);
    delete link;  // unregisters itself
    list.Clear();
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(events, 2);
}

TEST_F(ImageListTest, IconsGoInAndComeOut) {
    TImageList list(nullptr);
    TIcon icon;
    icon.LoadFromResourceName(HInstance, "MAINICON");
    list.SetWidth(16);
    list.SetHeight(16);
    EXPECT_EQ(list.AddIcon(&icon), 0);
    TIcon back;
    list.GetIcon(0, &back);
    EXPECT_EQ(back.GetWidth(), 16);
    TBitmap* dst = Bitmap(16, 16, clRed);
    dst->GetCanvas()->Draw(0, 0, &back);
    EXPECT_EQ(Px(dst, 0, 0), clRed);  // the corners of our icon are transparent
}

TEST_F(ImageListTest, DragImageFollowsTheHotSpot) {
    TImageList list(nullptr);
    list.SetWidth(3);
    list.SetHeight(2);
    list.AddMasked(Strip(), clFuchsia);
    EXPECT_FALSE(list.GetDragging());
    EXPECT_TRUE(list.SetDragImage(1, 2, 1));
    EXPECT_TRUE(list.BeginDrag(nullptr, 100, 50));
    EXPECT_TRUE(list.GetDragging());
    EXPECT_TRUE(lumora_gdi::DragImageVisible());
    EXPECT_EQ(lumora_gdi::DragImagePosition(), Point(98, 49));
    list.DragMove(110, 60);
    EXPECT_EQ(lumora_gdi::DragImagePosition(), Point(108, 59));
    list.HideDragImage();
    EXPECT_FALSE(lumora_gdi::DragImageVisible());
    list.ShowDragImage();
    EXPECT_TRUE(lumora_gdi::DragImageVisible());
    // A new hot spot moves the image under the same point.
    list.SetDragImage(1, 0, 0);
    EXPECT_EQ(lumora_gdi::DragImagePosition(), Point(110, 60));
    // Window coordinates go through the window layer's origin.
    TCustomImageList::WindowOrigin = [](void*) { return Point(1000, 2000); };
    int window = 0;
    list.DragLock(&window, 5, 5);
    EXPECT_EQ(lumora_gdi::DragImagePosition(), Point(1005, 2005));
    TCustomImageList::WindowOrigin = nullptr;
    EXPECT_TRUE(list.EndDrag());
    EXPECT_FALSE(list.GetDragging());
    EXPECT_FALSE(lumora_gdi::DragImageVisible());
    EXPECT_FALSE(list.DragMove(1, 1));
}

class PictureTest : public lumora_test::GraphicsTest {};

TEST_F(PictureTest, RegistryGivesFiltersAndExtensions) {
    EXPECT_EQ(GraphicFilter(TGraphic::StaticClass()),
              "All (*.bmp;*.ico;*.emf;*.wmf)|*.bmp;*.ico;*.emf;*.wmf|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|"
              "Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf");
    EXPECT_EQ(GraphicFilter(TBitmap::StaticClass()), "Bitmaps (*.bmp)|*.bmp");
    EXPECT_EQ(GraphicExtension(TBitmap::StaticClass()), "bmp");
    EXPECT_EQ(GraphicExtension(TMetafile::StaticClass()), "emf");
    EXPECT_EQ(GraphicExtension(TGraphic::StaticClass()), "");
    EXPECT_EQ(GraphicFileMask(TMetafile::StaticClass()), "*.emf;*.wmf");
    EXPECT_EQ(TPicture::FindGraphicClass(".BMP"), TBitmap::StaticClass());
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(2));
    EXPECT_FALSE(TPicture::SupportsClipboardFormat(1));
}

TEST_F(PictureTest, LoadsByExtensionAndKeepsCopies) {
    const std::string name = ::testing::TempDir() + "picture_test.bmp";
    TBitmap* b = Bitmap(4, 3, clOlive);
    b->SaveToFile(name);
    TPicture pic;
    int changes = 0;
    pic.OnChange = [&](TObject*) { ++changes; };
    pic.LoadFromFile(name);
    ASSERT_NE(pic.GetGraphic(), nullptr);
    EXPECT_EQ(pic.GetGraphic()->ClassType(), TBitmap::StaticClass());
    EXPECT_EQ(pic.GetWidth(), 4);
    EXPECT_GE(changes, 1);
    try {
        pic.LoadFromFile(::testing::TempDir() + "picture.xyz");
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
    }
    EXPECT_EQ(pic.GetWidth(), 4);  // unchanged
    // Graphic assignment copies; changes of the picture's graphic reach OnChange.
    pic.SetGraphic(b);
    EXPECT_NE(pic.GetGraphic(), b);
    const int before = changes;
    pic.GetBitmap()->GetCanvas()->SetPixels(0, 0, clRed);
    EXPECT_GT(changes, before);
    // Asking for an icon replaces the bitmap with an empty icon.
    pic.GetIcon();
    EXPECT_TRUE(pic.GetGraphic()->GetEmpty());
    TPicture other;
    other.Assign(&pic);
    EXPECT_EQ(other.GetGraphic()->ClassType(), TIcon::StaticClass());
    pic.Assign(nullptr);
    EXPECT_EQ(pic.GetGraphic(), nullptr);
}

TEST_F(PictureTest, IconFilesRoundTripWithTransparency) {
    TIcon icon;
    icon.LoadFromResourceName(HInstance, "MAINICON");
    EXPECT_EQ(icon.GetWidth(), 32);
    EXPECT_THROW(icon.SetWidth(16), EInvalidGraphicOperation);
    TMemoryStream s;
    icon.SaveToStream(&s);
    s.SetPosition(0);
    TIcon back;
    back.LoadFromStream(&s);
    EXPECT_EQ(back.GetWidth(), 32);
    EXPECT_EQ(back.GetHeight(), 32);
    TBitmap* a = Bitmap(32, 32, clRed);
    TBitmap* b = Bitmap(32, 32, clRed);
    a->GetCanvas()->Draw(0, 0, &icon);
    b->GetCanvas()->Draw(0, 0, &back);
    EXPECT_EQ(Pixels(a), Pixels(b));
    EXPECT_EQ(Px(a, 0, 0), clRed);
    EXPECT_NE(Px(a, 16, 16), clRed);
    // A classic 1-bit icon: AND mask set = transparent.
    std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0, 8, 8, 2, 0, 1, 0, 1, 0, 0, 0, 0, 0, 22, 0, 0, 0};
    const size_t start = ico.size();
    ico.resize(start + 40 + 8 + 8 * 4 * 2, 0);
    const BITMAPINFOHEADER h{40, 8, 16, 1, 1, BI_RGB, 0, 0, 0, 2, 0};
    std::memcpy(ico.data() + start, &h, sizeof h);
    uint8_t* pal = ico.data() + start + 40;
    pal[4] = pal[5] = pal[6] = 0xFF;  // entry 1 white
    uint8_t* xr = pal + 8;
    uint8_t* am = xr + 32;
    for (int y = 0; y < 8; ++y) {
        xr[y * 4] = 0xF0;  // left half white
        am[y * 4] = 0x0F;  // right half transparent
    }
    const uint32_t size = uint32_t(ico.size() - start);
    std::memcpy(ico.data() + 14, &size, 4);
    TIcon classic;
    classic.LoadFromBytes(ico.data(), ico.size());
    TBitmap* c = Bitmap(8, 8, clRed);
    c->GetCanvas()->Draw(0, 0, &classic);
    EXPECT_EQ(Ink(c, clWhite).substr(0, 9), "####....\n");
    EXPECT_EQ(Px(c, 6, 3), clRed);
    std::vector<uint8_t> broken = ico;
    broken[2] = 9;
    EXPECT_THROW(classic.LoadFromBytes(broken.data(), broken.size()), EInvalidGraphic);
}

TEST_F(PictureTest, MetafileSizesComeFromTheHeader) {
    // A placeable metafile 1440 units per inch, 2 inches by 1 inch.
    std::vector<uint8_t> wmf(22 + 18, 0);
    const uint32_t magic = 0x9AC6CDD7;
    std::memcpy(wmf.data(), &magic, 4);
    const int16_t box[4] = {0, 0, 2880, 1440};
    std::memcpy(wmf.data() + 6, box, 8);
    const uint16_t inch = 1440;
    std::memcpy(wmf.data() + 14, &inch, 2);
    TMetafile m;
    m.LoadFromBytes(wmf.data(), wmf.size());
    EXPECT_EQ(m.GetWidth(), 192);
    EXPECT_EQ(m.GetHeight(), 96);
    EXPECT_FALSE(m.GetEnhanced());
    const uint8_t junk[30] = {1, 2, 3};
    EXPECT_THROW(m.LoadFromBytes(junk, sizeof junk), EInvalidGraphic);
}

class ResourceTest : public lumora_test::GraphicsTest {};

TEST_F(ResourceTest, NamedBitmapsHaveTheirSizes) {
    struct Case {
        const char* name;
        int w, h;
    };
    const Case cases[] = {
        {"GXGRID_ARROW", 5, 9},       {"GXGRID_MULTIARROW", 5, 9}, {"GXGRID_VERSCROLLBITMAP", 28, 28},
        {"GXTOOL_SAVE", 16, 16},      {"GXINPLACE_OLE_NULL", 16, 16}, {"IDB_PLAY", 16, 16},
        {"gxgrid_insert", 5, 9},
    };
    for (const Case& c : cases) {
        TBitmap b;
        b.LoadFromResourceName(HInstance, c.name);
        EXPECT_EQ(b.GetWidth(), c.w) << c.name;
        EXPECT_EQ(b.GetHeight(), c.h) << c.name;
    }
    TBitmap arrow;
    arrow.LoadFromResourceName(HInstance, "GXGRID_ARROW");
    EXPECT_EQ(Px(&arrow, 0, 0), clWhite);  // white is the mask colour of the indicator images
    EXPECT_EQ(Px(&arrow, 0, 4), clBlack);
    TBitmap none;
    EXPECT_THROW(none.LoadFromResourceName(HInstance, "NO_SUCH_BITMAP"), EResNotFound);
    HBITMAP boxes = LoadBitmap(nullptr, MAKEINTRESOURCE(OBM_CHECKBOXES));
    BITMAP info;
    GetObject(boxes, sizeof info, &info);
    EXPECT_EQ(info.bmWidth / 4, 13);
    EXPECT_EQ(info.bmHeight / 3, 13);
    DeleteObject(boxes);
}

TEST_F(ResourceTest, StringsByNumber) {
    EXPECT_EQ(LoadStr(38903), "Today");
    EXPECT_EQ(LoadStr(38919), "&Save To...");
    EXPECT_EQ(LoadStr(38927), "Invalid Date");
    EXPECT_EQ(LoadStr(38811), "");
    EXPECT_EQ(LoadStr(1), "");
    char buf[4];
    EXPECT_EQ(LoadString(HInstance, 38951, buf, sizeof buf), 3);
    EXPECT_STREQ(buf, "Err");
}

TEST_F(ResourceTest, CursorTableHoldsStandardAndRegisteredCursors) {
    const char* names[] = {"ZOOMMENO", "ZOOMPIU", "CROCE", "GOMMA", "MANO", "PENNA", "CROCE1", "CROCE2",
                           "MOVE2", "MOVEY", "MOVE1", "MOVEX", "MOVE"};
    for (int i = 0; i < 13; ++i) {
        HCURSOR c = LoadCursor(HInstance, names[i]);
        ASSERT_NE(c, nullptr) << names[i];
        EXPECT_EQ(GetIconSize(c), (TSize{32, 32}));
        SetCursorTableEntry(TCursor(1778 + i), c);
    }
    EXPECT_TRUE(CursorTableHas(1785));
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(GetCursorTableEntry(1785), &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 15u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    // Registering an id again replaces its cursor.
    SetCursorTableEntry(-1124, LoadCursor(HInstance, "GXTLDELETECURSOR"));
    HCURSOR first = GetCursorTableEntry(-1124);
    SetCursorTableEntry(-1124, LoadCursor(HInstance, "GXTLDELETECURSOR"));
    EXPECT_NE(GetCursorTableEntry(-1124), first);
    // Unknown ids give the default cursor; standard ids have their own.
    EXPECT_EQ(GetCursorTableEntry(4242), GetCursorTableEntry(crDefault));
    EXPECT_NE(GetCursorTableEntry(crHourGlass), GetCursorTableEntry(crDefault));
    SetCursorTableEntry(-1124, nullptr);
    EXPECT_FALSE(CursorTableHas(-1124));
    SetCursorTableEntry(crHourGlass, nullptr);  // standard entries stay
    EXPECT_TRUE(CursorTableHas(crHourGlass));
    EXPECT_EQ(LoadCursor(HInstance, "NO_SUCH_CURSOR"), nullptr);
    EXPECT_NE(LoadCursor(nullptr, IDC_WAIT), nullptr);
}

}  // namespace
