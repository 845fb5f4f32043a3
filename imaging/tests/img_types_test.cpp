#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "imaging/img_types.h"
#include "imaging/img_words.h"

namespace {

// Restores the table and the locale seam after each case.
class IeTypesWords : public ::testing::Test {
protected:
    void TearDown() override {
        FillImgWordTable();
        for (Integer i = 0; i < ImgWordCount; ++i) SetImgWord(msUser, i, "");
        SetImgUserPrimaryLanguageOverride(-1);
    }
};

struct WordCase {
    Integer index;
    TMsgLanguage language;
    Integer systemLanguageId;  // used for msSystem
    const char* expected;
};

}  // namespace

TEST_F(IeTypesWords, LookupByLanguage) {
    const WordCase cases[] = {
        {3, msSpanish, 0, "Aceptar"},
        {3, msEnglish, 0, "OK"},
        {0, msEnglish, 0, "Preview"},
        {86, msEnglish, 0, "Reset"},
        {0, msGerman, 0, "Vorschau"},
        {4, msItalian, 0, "Annulla"},
        {4, msFrench, 0, "Annuler"},
        {15, msPortuguese, 0, "Vermelho"},
        {0, msGreek, 0, "Προεπισκόπηση"},
        {49, msGerman, 0, "Photometric"},
        // The user row is empty: English words.
        {21, msUser, 0, "Load"},
        // msSystem follows the locale's primary language.
        {4, msSystem, 7, "Abbrechen"},
        {4, msSystem, 8, "Άκυρο"},
        {4, msSystem, 9, "Cancel"},
        {4, msSystem, 10, "Cancelar"},
        {4, msSystem, 12, "Annuler"},
        {4, msSystem, 16, "Annulla"},
        {4, msSystem, 22, "Cancelar"},
        {17, msSystem, 22, "Azul"},
        {17, msSystem, 11, "Blue"},  // Finnish has no row
        {17, msSystem, 19, "Blue"},  // nor Dutch
        {17, msSystem, 0, "Blue"},
    };
    for (const WordCase& c : cases) {
        SetImgUserPrimaryLanguageOverride(c.systemLanguageId);
        EXPECT_EQ(GetImgWord(c.index, c.language), c.expected)
            << "word " << c.index << " language " << c.language << " system " << c.systemLanguageId;
    }
}

TEST_F(IeTypesWords, TranslatedRowsAreCompleteAndTranslated) {
    for (int lang = msItalian; lang <= msGreek; ++lang) {
        int differing = 0;
        for (Integer i = 0; i < ImgWordCount; ++i) {
            const std::string word = GetImgWord(i, TMsgLanguage(lang));
            ASSERT_FALSE(word.empty()) << "language " << lang << " word " << i;
            if (word != GetImgWord(i, msEnglish)) ++differing;
        }
        // Some words stay as they are ("OK", technical terms), most do not.
        EXPECT_GT(differing, 60) << "language " << lang;
    }
}

TEST_F(IeTypesWords, UserRowAndEmptyCells) {
    SetImgWord(msUser, 21, "Öffnen…");
    EXPECT_EQ(GetImgWord(21, msUser), "Öffnen…");
    EXPECT_EQ(GetImgWord(22, msUser), "Save");

    // An emptied German cell falls back to English when German is asked for explicitly, but
    // msSystem on a German system returns the cell unchanged.
    SetImgWord(msGerman, 7, "");
    EXPECT_EQ(GetImgWord(7, msGerman), "Contrast");
    SetImgUserPrimaryLanguageOverride(7);
    EXPECT_EQ(GetImgWord(7, msSystem), "");

    FillImgWordTable();
    EXPECT_EQ(GetImgWord(7, msGerman), "Kontrast");
}

TEST_F(IeTypesWords, SystemLanguageFromLocaleVariables) {
    struct Env {
        const char* lcAll;
        const char* lang;
        Integer id;
    };
    const Env cases[] = {{nullptr, "de_DE.UTF-8", 7},  {nullptr, "pt_BR", 22},
                         {nullptr, "el_GR.UTF-8", 8},  {nullptr, "fi_FI.UTF-8", 11},
                         {"fr_FR.UTF-8", "de_DE", 12}, {nullptr, "C.UTF-8", 9},
                         {nullptr, "xx_YY", 0}};
    const char* savedAll = std::getenv("LC_ALL");
    const char* savedMsg = std::getenv("LC_MESSAGES");
    const char* savedLang = std::getenv("LANG");
    std::string all = savedAll ? savedAll : "", msg = savedMsg ? savedMsg : "",
                lang = savedLang ? savedLang : "";
    unsetenv("LC_MESSAGES");
    for (const Env& e : cases) {
        if (e.lcAll) setenv("LC_ALL", e.lcAll, 1); else unsetenv("LC_ALL");
        setenv("LANG", e.lang, 1);
        EXPECT_EQ(ImgUserPrimaryLanguage(), e.id) << e.lang;
    }
    setenv("LANG", "it_IT.UTF-8", 1);
    unsetenv("LC_ALL");
    EXPECT_EQ(ImgSystemLanguage(), msItalian);
    SetImgUserPrimaryLanguageOverride(12);
    EXPECT_EQ(ImgSystemLanguage(), msFrench);

    auto restore = [](const char* name, const char* saved, const std::string& value) {
        if (saved) setenv(name, value.c_str(), 1); else unsetenv(name);
    };
    restore("LC_ALL", savedAll, all);
    restore("LC_MESSAGES", savedMsg, msg);
    restore("LANG", savedLang, lang);
}

TEST(IeTypes, ColourAndNumberHelpers) {
    EXPECT_EQ(ImgRGBGrayLevel(ImgRGB(255, 255, 255)), 252);
    EXPECT_EQ(ImgRGBGrayLevel(ImgRGB(255, 0, 0)), 53);
    EXPECT_EQ(ImgRGBGrayLevel(ImgRGB(0, 255, 0)), 181);

    struct Rounding {
        Extended x;
        Integer ceil, floor;
    };
    const Rounding rounding[] = {{2.0, 2, 2}, {2.1, 3, 2}, {2.9, 3, 2},
                                 {-2.5, -2, -3}, {-3.0, -3, -3}, {0.0, 0, 0}};
    for (const Rounding& r : rounding) {
        EXPECT_EQ(ImgCeil(r.x), r.ceil) << double(r.x);
        EXPECT_EQ(ImgFloor(r.x), r.floor) << double(r.x);
    }

    EXPECT_EQ(ImgIntLimit(5, 10, 3), 3);
    EXPECT_EQ(ImgIntLimit(5, 0, 3), 3);
    EXPECT_EQ(ImgIntLimit(-5, 0, 3), 0);
    EXPECT_EQ(ImgClampByte(-1), 0);
    EXPECT_EQ(ImgClampByte(256), 255);

    TImgRGB c;
    MakeImgRGB(1, 2, 3, c);
    const Byte* bytes = reinterpret_cast<const Byte*>(&c);
    EXPECT_EQ(bytes[0], 3);  // blue first
    EXPECT_EQ(bytes[2], 1);
    EXPECT_EQ(ImgRGBToColor(c), 0x030201);
    EXPECT_EQ(MakeColorRGB(1, 2, 3), 0x030201);
    EXPECT_TRUE(SameImgRGB(ColorToImgRGB(0x030201), c));
    // System colours are resolved first, through the framework's colour table.
    EXPECT_EQ(ImgRGBToColor(ColorToImgRGB(clBtnFace)), ColorToRGB(clBtnFace));
    EXPECT_EQ(ColorToImgRGB(clRed), ImgRGB(255, 0, 0));

    Integer x1 = 5, y1 = 1, x2 = 2, y2 = 4;
    ImgOrderRect(x1, y1, x2, y2);
    EXPECT_EQ(std::vector<Integer>({x1, y1, x2, y2}), std::vector<Integer>({2, 1, 5, 4}));

    EXPECT_NEAR(double(ImgArcSin(1)), 3.14159265 / 2, 1e-6);
    EXPECT_NEAR(double(ImgArcCos(-1)), 3.14159265, 1e-6);
    EXPECT_NEAR(double(ImgArcTan2(-1, -1)), -3 * 3.14159265 / 4, 1e-6);
}

TEST(IeTypes, ProgressReportingAndAborting) {
    std::vector<Integer> seen;
    TObject sender;
    TObject* seenSender = nullptr;
    TProgressRec rec;
    rec.OnProgress = [&](TObject* s, Integer per) {
        seenSender = s;
        seen.push_back(per);
    };
    rec.Sender = &sender;
    rec.Factor = 100 / (3 + 0.5);
    for (int i = 0; i < 3; ++i) rec.Step();
    EXPECT_EQ(seen, std::vector<Integer>({28, 57, 85}));
    EXPECT_EQ(seenSender, &sender);

    // A target made from the record reports rows the same way, staying below 100.
    seen.clear();
    TImgProgressTarget target(rec);
    target.ReportRows(1, 1);
    target.ReportRows(200, 200);
    EXPECT_EQ(seen, std::vector<Integer>({66, 99}));
    TImgProgressTarget().ReportRows(1, 1);  // unassigned: nothing happens

    // The silent record has no event and its own flag, cleared each time it is handed out.
    TProgressRec& silent = ImgSilentProgress();
    EXPECT_FALSE(silent.OnProgress);
    EXPECT_FALSE(silent.IsAborting());
    silent.Abort();
    EXPECT_TRUE(silent.IsAborting());
    EXPECT_FALSE(ImgSilentProgress().IsAborting());

    bool aborting = false;
    rec.Aborting = &aborting;
    rec.Abort();
    EXPECT_TRUE(aborting);
}
