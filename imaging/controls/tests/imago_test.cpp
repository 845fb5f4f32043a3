#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "framework/forms.h"
#include "framework/testing/ui_test.h"
#include "imaging/controls/imago.h"
#include "imaging/tests/image_fixture.h"

namespace {

class ImagoTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 300, 300);
        Imago = new TImago(Form);
        Imago->SetParent(Form);
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }
    void Picture(Integer w, Integer h) {
        Bmp b = Make24(w, h, [](Integer x, Integer y) { return ImgRGB(Byte(x * 10), Byte(y * 10), 7); });
        Imago->Assign(b.get());
    }

    TForm* Form = nullptr;
    TImago* Imago = nullptr;
};

TEST_F(ImagoTest, OwnsComponentsAttachedToItself) {
    EXPECT_EQ(Imago->GetProc()->GetAttachedImago(), Imago);
    EXPECT_EQ(Imago->GetIO()->GetAttachedImago(), Imago);
    EXPECT_TRUE(Imago->GetAutoUndo());
    EXPECT_EQ(Imago->GetMsgLanguage(), msSystem);
    EXPECT_FALSE(Imago->GetStreamHeaders());
    EXPECT_EQ(Imago->GetIOParams(), Imago->GetIO()->GetParams());
}

TEST_F(ImagoTest, ForwardedPropertiesReachBothComponents) {
    Integer calls = 0;
    Imago->SetOnProgress([&](TObject*, Integer) { ++calls; });
    ASSERT_TRUE(Imago->GetProc()->OnProgress);
    ASSERT_TRUE(Imago->GetIO()->OnProgress);
    Imago->GetIO()->OnProgress(nullptr, 1);
    Imago->GetOnProgress()(nullptr, 2);
    EXPECT_EQ(calls, 2);

    Imago->SetMsgLanguage(msGerman);
    EXPECT_EQ(Imago->GetProc()->GetMsgLanguage(), msGerman);
    EXPECT_EQ(Imago->GetIO()->GetMsgLanguage(), msGerman);

    TFont font;
    font.SetName("Serif");
    font.SetSize(17);
    Imago->SetPreviewFont(&font);
    for (TFont* f : {Imago->GetIO()->GetPreviewFont(), Imago->GetProc()->GetPreviewFont()}) {
        ASSERT_NE(f, nullptr);
        EXPECT_NE(f, &font);  // each component keeps its own copy
        EXPECT_EQ(f->GetSize(), 17);
    }
    EXPECT_EQ(Imago->GetPreviewFont(), Imago->GetIO()->GetPreviewFont());

    Imago->SetAutoUndo(false);
    EXPECT_FALSE(Imago->GetProc()->GetAutoUndo());
    Imago->SetStreamHeaders(true);
    EXPECT_TRUE(Imago->GetIO()->GetStreamHeaders());
    Imago->SetIOPreviewsParams(TIOPreviewsParams{ioppDefaultLockPreview});
    EXPECT_EQ(Imago->GetIO()->GetPreviewsParams(), TIOPreviewsParams{ioppDefaultLockPreview});
    Imago->SetProcPreviewsParams(TPRPreviewsParams{prppDefaultLockPreview});
    EXPECT_EQ(Imago->GetProc()->GetPreviewsParams(), TPRPreviewsParams{prppDefaultLockPreview});
}

TEST_F(ImagoTest, AssignCopiesParametersAndImageByKindOfSource) {
    Picture(6, 4);
    Imago->GetIOParams()->DpiX = 300;
    auto* other = new TImago(Form);
    other->Assign(Imago);  // image and parameters
    EXPECT_EQ(other->GetIOParams()->DpiX, 300);
    EXPECT_TRUE(SameRGBPixels(other->GetBitmap(), Imago->GetBitmap()));

    auto* third = new TImago(Form);
    TImagoIO io(nullptr);
    io.GetParams()->DpiX = 150;
    third->Assign(&io);  // only the parameters
    EXPECT_EQ(third->GetIOParams()->DpiX, 150);
    EXPECT_EQ(third->GetBitmap()->GetWidth(), 0);

    Bmp b = Make24(3, 3, [](Integer, Integer) { return ImgRGB(1, 2, 3); });
    third->Assign(b.get());  // a bitmap: the image, parameters untouched
    EXPECT_EQ(third->GetBitmap()->GetWidth(), 3);
    EXPECT_EQ(third->GetIOParams()->DpiX, 150);
}

TEST_F(ImagoTest, FileAndProcessingOperationsWorkOnTheControlsImage) {
    Picture(6, 4);
    const std::string file = ::testing::TempDir() + "/imago_test.bmp";
    Imago->SaveToFile(file);
    ASSERT_FALSE(Imago->GetIO()->GetAborting());

    Imago->Rotate(90, false);  // saves an undo image first (AutoUndo)
    EXPECT_EQ(Imago->GetBitmap()->GetWidth(), 4);
    Imago->Undo();
    EXPECT_EQ(Imago->GetBitmap()->GetWidth(), 6);
    Imago->Flip(0);
    EXPECT_EQ(Px(Imago->GetBitmap(), 0, 0), ImgRGB(50, 0, 7));

    auto* other = new TImago(Form);
    other->SetParent(Form);
    other->ParamsFromFile(file);
    EXPECT_EQ(other->GetIOParams()->Width, 6);
    EXPECT_EQ(other->GetBitmap()->GetWidth(), 0);
    other->LoadFromFile(file);
    EXPECT_EQ(other->GetBitmap()->GetWidth(), 6);
    EXPECT_EQ(Px(other->GetBitmap(), 5, 3), ImgRGB(50, 30, 7));
    std::filesystem::remove(file);
}

}  // namespace
