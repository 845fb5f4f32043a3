// The metafile player against reference renderings: the fixtures of
// framework/tests/fixtures/metafiles (Inkscape's EMF and WMF export of SVG drawings, and an EMF
// written with libuemf) were rendered once by Inkscape (EMF) and libwmf's wmf2gd (WMF) by
// make_metafile_fixtures.sh. We play each at the reference's size on white and compare: a pixel
// matches when one of the reference pixels around it (3 x 3) is within 96 of it in every channel,
// which takes in the references' smoothed edges and a pixel's shift of an edge; at most 2% of the
// pixels may miss. The drawings hold no text.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "imaging/formats/tests/oracle.h"

namespace {

std::string MetafileFixture(const std::string& Name) {
    const char* root = std::getenv("LUMORA_TEST_SOURCE_DIR");
    return std::string(root ? root : ".") + "/framework/tests/fixtures/metafiles/" + Name;
}

// The share of our pixels with no reference pixel near them of about their colour.
double Mismatch(const oracle::TImage& Ours, const oracle::TImage& Ref) {
    int missed = 0;
    for (int y = 0; y < Ours.Height; ++y)
        for (int x = 0; x < Ours.Width; ++x) {
            const unsigned char* o = &Ours.RGB[(size_t(y) * Ours.Width + x) * 3];
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    const int rx = x + dx, ry = y + dy;
                    if (rx < 0 || ry < 0 || rx >= Ref.Width || ry >= Ref.Height) continue;
                    const unsigned char* r = &Ref.RGB[(size_t(ry) * Ref.Width + rx) * 3];
                    near = std::abs(o[0] - r[0]) <= 96 && std::abs(o[1] - r[1]) <= 96 && std::abs(o[2] - r[2]) <= 96;
                }
            if (!near) ++missed;
        }
    return double(missed) / (double(Ours.Width) * Ours.Height);
}

}  // namespace

TEST(MetafileConformance, FixturesMatchTheirReferenceRenderings) {
    const char* fixtures[] = {"inkscape_shapes.emf", "inkscape_curves.emf", "uemf_drawing.emf",
                              "inkscape_shapes.wmf", "inkscape_curves.wmf"};
    for (const char* name : fixtures) {
        oracle::TImage ref;
        ASSERT_TRUE(oracle::LoadOurs(MetafileFixture(std::string(name) + ".ref.png"), ref)) << name;
        std::ifstream in(MetafileFixture(name), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        TMetafile m;
        m.LoadFromBytes(bytes.data(), bytes.size());
        TBitmap b;
        b.SetPixelFormat(pf24bit);
        b.GetCanvas()->GetBrush()->SetColor(clWhite);
        b.SetSize(ref.Width, ref.Height);
        b.GetCanvas()->StretchDraw(TRect(0, 0, ref.Width, ref.Height), &m);
        const oracle::TImage ours = oracle::FromBitmap(&b);
        EXPECT_LE(Mismatch(ours, ref), 0.02) << name;
        // Something was drawn: the drawings cover far more than their white page's edge.
        int inked = 0;
        for (size_t i = 0; i < ours.RGB.size(); i += 3) inked += ours.RGB[i] + ours.RGB[i + 1] + ours.RGB[i + 2] < 600;
        EXPECT_GT(inked, ours.Width * ours.Height / 10) << name;
    }
}
