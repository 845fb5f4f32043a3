// The printer: jobs printed to PDF and checked with poppler's pdfinfo and pdftoppm, page size
// and orientation, one file per job, aborting, and misuse.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "framework/file_utils.h"
#include "framework/printers.h"
#include "framework/string_list.h"
#include "framework/testing/ui_test.h"
#include "framework/tests/scratch_folder.h"
#include "framework/windows_gdi.h"

namespace {

std::string RunCommand(const std::string& Command) {
    std::string out;
    if (FILE* p = popen(Command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

std::string InfoLine(const std::string& Info, const std::string& Key) {
    std::istringstream in(Info);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(Key + ":", 0) == 0) {
            std::string v = line.substr(Key.size() + 1);
            return v.substr(v.find_first_not_of(' '));
        }
    return {};
}

// A page rendered by pdftoppm (binary PPM).
struct Rendered {
    int Width = 0, Height = 0;
    std::vector<unsigned char> Rgb;
    TColor At(int X, int Y) const {
        size_t i = (size_t(Y) * Width + X) * 3;
        return TColor(Rgb[i] | (Rgb[i + 1] << 8) | (Rgb[i + 2] << 16));
    }
};

Rendered Render(const std::string& Pdf, int Dpi, const std::string& Out) {
    RunCommand("pdftoppm -r " + std::to_string(Dpi) + " -f 1 -l 1 -singlefile '" + Pdf + "' '" + Out + "'");
    Rendered r;
    std::ifstream in(Out + ".ppm", std::ios::binary);
    std::string magic;
    int max = 0;
    in >> magic >> r.Width >> r.Height >> max;
    in.get();
    r.Rgb.resize(size_t(r.Width) * r.Height * 3);
    in.read(reinterpret_cast<char*>(r.Rgb.data()), std::streamsize(r.Rgb.size()));
    return r;
}

bool Reddish(TColor c) { return (c & 0xFF) > 200 && ((c >> 8) & 0xFF) < 60 && ((c >> 16) & 0xFF) < 60; }
bool White(TColor c) { return (c & 0xFF) > 240 && ((c >> 8) & 0xFF) > 240 && ((c >> 16) & 0xFF) > 240; }
bool Dark(TColor c) { return (c & 0xFF) < 100 && ((c >> 8) & 0xFF) < 100 && ((c >> 16) & 0xFF) < 100; }

}  // namespace

class Printing : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        uitest::Start();
        Previous = SetPrinter(new TPrinter());
        P = Printer();
    }
    void TearDown() override {
        delete SetPrinter(Previous);
        ScratchFolderTest::TearDown();
    }
    TPrinter* Previous = nullptr;
    TPrinter* P = nullptr;
};

TEST_F(Printing, OnePageOfTextAndABitmapMakesAnA4Pdf) {
    P->SetFileName(dir_ + "page.pdf");
    P->SetTitle("Page test");
    // A4 (595 x 842 points) at 300 pixels per inch.
    EXPECT_EQ(P->GetPageWidth(), 2479);
    EXPECT_EQ(P->GetPageHeight(), 3508);
    P->BeginDoc();
    EXPECT_TRUE(P->GetPrinting());
    EXPECT_EQ(P->GetPageNumber(), 1);
    TCanvas* c = P->GetCanvas();
    EXPECT_EQ(GetDeviceCaps(c->GetHandle(), LOGPIXELSX), 300);
    EXPECT_EQ(GetDeviceCaps(c->GetHandle(), HORZRES), 2479);
    c->GetFont()->SetName("DejaVu Sans");
    c->GetFont()->SetSize(48);
    EXPECT_GT(c->TextHeight("Wg"), 180);  // 48 points at 300 pixels per inch
    c->TextOut(300, 300, "Lumora");
    TBitmap red;
    red.SetSize(600, 400);
    red.GetCanvas()->GetBrush()->SetColor(clRed);
    red.GetCanvas()->FillRect({0, 0, 600, 400});
    c->Draw(1200, 1800, &red);
    P->EndDoc();
    EXPECT_FALSE(P->GetPrinting());
    EXPECT_EQ(P->GetOutputFile(), dir_ + "page.pdf");

    std::string info = RunCommand("pdfinfo '" + dir_ + "page.pdf'");
    EXPECT_EQ(InfoLine(info, "Pages"), "1");
    EXPECT_EQ(InfoLine(info, "Page size"), "595 x 842 pts (A4)");
    EXPECT_EQ(InfoLine(info, "Title"), "Page test");

    // At 30 pixels per inch a printer pixel is a tenth of a rendered one.
    Rendered page = Render(dir_ + "page.pdf", 30, dir_ + "page");
    ASSERT_EQ(page.Width, 248);  // 595 points at 30 pixels per inch
    ASSERT_EQ(page.Height, 351);
    EXPECT_TRUE(Reddish(page.At(150, 200)));
    EXPECT_TRUE(Reddish(page.At(125, 185)));
    EXPECT_TRUE(White(page.At(115, 200)));
    EXPECT_TRUE(White(page.At(185, 200)));
    int dark = 0;
    for (int y = 30; y < 55; ++y)
        for (int x = 30; x < 90; ++x) dark += Dark(page.At(x, y));
    EXPECT_GT(dark, 40);  // the text
    EXPECT_TRUE(White(page.At(10, 340)));
}

TEST_F(Printing, PagesAndLandscapeOrientation) {
    P->SetFileName(dir_ + "wide.pdf");
    P->SetOrientation(poLandscape);
    EXPECT_EQ(P->GetPageWidth(), 3508);
    EXPECT_EQ(P->GetPageHeight(), 2479);
    P->BeginDoc();
    EXPECT_THROW(P->SetOrientation(poPortrait), EPrinter);
    P->GetCanvas()->Rectangle(0, 0, 100, 100);
    P->NewPage();
    EXPECT_EQ(P->GetPageNumber(), 2);
    // The new page starts white.
    EXPECT_EQ(P->GetCanvas()->GetPixels(50, 50), clWhite);
    P->EndDoc();
    std::string info = RunCommand("pdfinfo '" + dir_ + "wide.pdf'");
    EXPECT_EQ(InfoLine(info, "Pages"), "2");
    EXPECT_EQ(InfoLine(info, "Page size"), "842 x 595 pts (A4)");
}

TEST_F(Printing, EveryJobWithoutAFileNameIsANewPdfNamedAfterItsTitle) {
    std::string folder = IncludeTrailingPathDelimiter(std::getenv("LUMORA_PRINT_DIR"));
    ASSERT_GT(P->GetPrinters()->GetCount(), 0);
    EXPECT_EQ(P->GetPrinters()->Get(P->GetPrinters()->GetCount() - 1), "Print to PDF");
    P->SetPrinterIndex(P->GetPrinters()->GetCount() - 1);
    P->SetTitle("Notes: day/one");
    std::vector<std::string> files;
    for (int copy = 0; copy < 3; ++copy) {
        P->BeginDoc();
        P->GetCanvas()->TextOut(100, 100, "copy");
        P->EndDoc();
        files.push_back(P->GetOutputFile());
    }
    EXPECT_EQ(files, (std::vector<std::string>{folder + "Notes_ day_one.pdf", folder + "Notes_ day_one (2).pdf",
                                               folder + "Notes_ day_one (3).pdf"}));
    for (const auto& f : files) EXPECT_TRUE(FileExists(f)) << f;

    // An aborted job leaves no file.
    P->BeginDoc();
    std::string aborted = P->GetOutputFile();
    P->Abort();
    EXPECT_TRUE(P->GetAborted());
    EXPECT_FALSE(P->GetPrinting());
    EXPECT_FALSE(FileExists(aborted));
}

TEST_F(Printing, MisuseRaisesThePrintersMessages) {
    P->SetFileName(dir_ + "x.pdf");
    auto message = [](auto&& f) {
        try {
            f();
        } catch (EPrinter& e) {
            return e.Message;
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { P->EndDoc(); }), "Printer is not currently printing");
    EXPECT_EQ(message([&] { P->NewPage(); }), "Printer is not currently printing");
    EXPECT_EQ(message([&] { P->SetPrinterIndex(P->GetPrinters()->GetCount()); }), "Printer selected is not valid");
    P->BeginDoc();
    EXPECT_EQ(message([&] { P->BeginDoc(); }), "Printing in progress");
    EXPECT_EQ(message([&] { P->SetTitle("late"); }), "Printing in progress");
    P->EndDoc();
    // Outside a job the canvas still measures text.
    EXPECT_GT(P->GetCanvas()->TextWidth("abc"), 0);
}
