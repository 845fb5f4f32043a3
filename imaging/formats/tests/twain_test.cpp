// The acquisition engine against a scripted source manager: the order of the calls it makes, the
// states it passes through, transfers, pixel-type negotiation, capabilities, failures and the
// BMP files of its DIB handles.

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>
#include <unistd.h>

#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/message_loop.h"
#include "imaging/formats/twain.h"

namespace {

struct TCall {
    TW_UINT32 DG;
    TW_UINT16 DAT;
    TW_UINT16 MSG;
    bool ToSource;
    bool operator==(const TCall&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TCall& c) {
    return os << "{" << c.DG << ", 0x" << std::hex << c.DAT << ", 0x" << c.MSG << std::dec << ", "
              << (c.ToSource ? "source" : "manager") << "}";
}

// A packed 1-bit bottom-up DIB in a moveable block whose first pixel byte is Tag.
HGLOBAL MakeDib(Integer Width, Integer Height, Byte Tag) {
    size_t rowBytes = size_t((Width + 31) / 32 * 4);
    size_t size = 40 + 8 + rowBytes * size_t(Height);
    HGLOBAL h = GlobalAlloc(GHND, size);
    auto* p = static_cast<Byte*>(GlobalLock(h));
    auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(p);
    bi->biSize = 40;
    bi->biWidth = Width;
    bi->biHeight = Height;
    bi->biPlanes = 1;
    bi->biBitCount = 1;
    p[44] = p[45] = p[46] = 0xFF;  // entry 1 white
    p[48] = Tag;
    GlobalUnlock(h);
    return h;
}

Byte DibTag(HGLOBAL Dib) {
    auto* p = static_cast<Byte*>(GlobalLock(Dib));
    Byte tag = p[48];
    GlobalUnlock(Dib);
    return tag;
}

// What the source manager and its one source do, and what they were asked.
struct TScript {
    TW_UINT16 OpenDsm = TWRC_SUCCESS;
    TW_UINT16 OpenDs = TWRC_SUCCESS;
    TW_UINT16 Enable = TWRC_SUCCESS;
    TW_UINT16 UserSelect = TWRC_SUCCESS;
    TW_UINT16 CapGet = TWRC_SUCCESS;
    TW_UINT16 CapSet = TWRC_SUCCESS;
    TW_UINT16 Condition = TWCC_SUCCESS;
    // Answers to MSG_PROCESSEVENT in turn; once they run out the source asks to be closed.
    std::deque<TW_UINT16> Events{MSG_XFERREADY};
    // Return codes of MSG_GET in turn; what is left counts as pending.
    std::deque<TW_UINT16> Transfers;
    // The ICAP_PIXELTYPE container MSG_GET hands out (none when ConType is 0).
    TW_UINT16 PixelConType = 0;
    TW_UINT16 PixelItemType = TWTY_UINT16;
    std::vector<TW_UINT32> PixelItems;
    // MSG_GETCURRENT answers: the raw container per capability.
    std::map<TW_UINT16, std::pair<TW_UINT16, std::vector<Byte>>> Current;

    std::vector<TCall> Calls;
    std::vector<std::vector<Byte>> SetContainers;  // what MSG_SET carried
    std::vector<TW_UINT16> SetConTypes;
    std::vector<TW_UINT16> SetCaps;
    TW_HANDLE Parent = nullptr;  // the window MSG_OPENDSM got
    bool ParentWasProxy = false;
    Integer Made = 0;

    size_t Count(TW_UINT16 DAT, TW_UINT16 MSG) const {
        size_t n = 0;
        for (const TCall& c : Calls) n += c.DAT == DAT && c.MSG == MSG;
        return n;
    }
};

TScript* gScript = nullptr;

HGLOBAL MakeContainer(const std::vector<Byte>& Bytes) {
    HGLOBAL h = GlobalAlloc(GHND, Bytes.size());
    std::memcpy(GlobalLock(h), Bytes.data(), Bytes.size());
    GlobalUnlock(h);
    return h;
}

std::vector<Byte> PixelContainer(const TScript& s) {
    std::vector<Byte> b;
    auto u16 = [&](TW_UINT32 v) { b.push_back(Byte(v)), b.push_back(Byte(v >> 8)); };
    auto u32 = [&](TW_UINT32 v) { u16(v & 0xFFFF), u16(v >> 16); };
    u16(s.PixelItemType);
    if (s.PixelConType == TWON_ONEVALUE) {
        u32(s.PixelItems.empty() ? 0 : s.PixelItems[0]);
        return b;
    }
    if (s.PixelConType == TWON_RANGE) {
        for (int i = 0; i < 5; ++i) u32(0);
        return b;
    }
    u32(TW_UINT32(s.PixelItems.size()));
    if (s.PixelConType == TWON_ENUMERATION) u32(0), u32(0);
    for (TW_UINT32 v : s.PixelItems) u16(v);
    return b;
}

}  // namespace

extern "C" TW_UINT16 ScriptedDsmEntry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                      TW_UINT16 MSG, TW_MEMREF pData) {
    TScript& s = *gScript;
    s.Calls.push_back({DG, DAT, MSG, pDest != nullptr});
    switch (DAT) {
        case DAT_PARENT:
            if (MSG != MSG_OPENDSM) return TWRC_SUCCESS;
            s.Parent = *static_cast<TW_HANDLE*>(pData);
            if (auto* f = dynamic_cast<TCustomForm*>(static_cast<TWinControl*>(s.Parent)))
                s.ParentWasProxy = f->GetCaption() == "Acquire Proxy" && f->GetVisible();
            return s.OpenDsm;
        case DAT_IDENTITY:
            if (MSG == MSG_OPENDS) {
                std::strcpy(static_cast<TW_IDENTITY*>(pData)->ProductName, "Scripted");
                return s.OpenDs;
            }
            return MSG == MSG_USERSELECT ? s.UserSelect : TWRC_SUCCESS;
        case DAT_USERINTERFACE:
            if (MSG == MSG_ENABLEDS) {
                PostMessage(nullptr, WM_NULL, 0, 0);
                return s.Enable;
            }
            return TWRC_SUCCESS;
        case DAT_EVENT: {
            auto* event = static_cast<TW_EVENT*>(pData);
            event->TWMessage = s.Events.empty() ? MSG_CLOSEDSREQ : s.Events.front();
            if (!s.Events.empty()) s.Events.pop_front();
            PostMessage(nullptr, WM_NULL, 0, 0);
            return TWRC_DSEVENT;
        }
        case DAT_IMAGENATIVEXFER: {
            TW_UINT16 rc = s.Transfers.empty() ? TWRC_FAILURE : s.Transfers.front();
            if (!s.Transfers.empty()) s.Transfers.pop_front();
            if (rc == TWRC_XFERDONE) *static_cast<TW_HANDLE*>(pData) = MakeDib(4, 2, Byte(++s.Made));
            return rc;
        }
        case DAT_PENDINGXFERS:
            if (MSG == MSG_RESET) s.Transfers.clear();
            static_cast<TW_PENDINGXFERS*>(pData)->Count = TW_UINT16(s.Transfers.size());
            return TWRC_SUCCESS;
        case DAT_STATUS: static_cast<TW_STATUS*>(pData)->ConditionCode = s.Condition; return TWRC_SUCCESS;
        case DAT_CAPABILITY: {
            auto* cap = static_cast<TW_CAPABILITY*>(pData);
            if (MSG == MSG_GET) {
                if (s.CapGet != TWRC_SUCCESS) return s.CapGet;
                if (s.PixelConType) {
                    cap->ConType = s.PixelConType;
                    cap->hContainer = MakeContainer(PixelContainer(s));
                }
                return TWRC_SUCCESS;
            }
            if (MSG == MSG_SET) {
                auto* p = static_cast<Byte*>(GlobalLock(cap->hContainer));
                s.SetContainers.emplace_back(p, p + GlobalSize(cap->hContainer));
                GlobalUnlock(cap->hContainer);
                s.SetConTypes.push_back(cap->ConType);
                s.SetCaps.push_back(cap->Cap);
                return s.CapSet;
            }
            if (MSG == MSG_GETCURRENT) {
                auto it = s.Current.find(cap->Cap);
                if (it == s.Current.end()) return TWRC_FAILURE;
                cap->ConType = it->second.first;
                cap->hContainer = MakeContainer(it->second.second);
                return TWRC_SUCCESS;
            }
            return TWRC_FAILURE;
        }
        default: return TWRC_FAILURE;
    }
}

namespace {

class TwainEngine : public ::testing::Test {
protected:
    void SetUp() override {
        Application->ProcessMessages();  // nothing another test posted reaches this one's source
        gScript = &script_;
        SetWindowsDirectory(LUMORA_SCRIPTED_DSM_DIR);
        dialogs_.OnUnexpected = [](const TDialogRequest& r) { ADD_FAILURE() << "unexpected box: " << r.Text; };
    }
    void TearDown() override {
        for (Integer i = 0; i < TWAIN_GetImageCount(); ++i) TWAIN_ReleaseDIB(TWAIN_GetImage(i));
        Application->ProcessMessages();
        TWAIN_ClearImageHook();
        TWAIN_SetHideUI(false);
        SetWindowsDirectory("");
        EXPECT_EQ(TWAIN_GetState(), 1);
        gScript = nullptr;
    }
    // The texts of the boxes shown.
    std::vector<std::string> Boxes() const {
        std::vector<std::string> v;
        for (const auto& r : dialogs_.Requests()) v.push_back(r.Caption + ": " + r.Text);
        return v;
    }
    std::vector<Byte> Images() const {
        std::vector<Byte> tags;
        for (Integer i = 0; i < TWAIN_GetImageCount(); ++i) tags.push_back(DibTag(TWAIN_GetImage(i)));
        return tags;
    }

    TScript script_;
    TScriptedDialogs dialogs_;
};

constexpr bool M = false, S = true;

TEST_F(TwainEngine, AcquiresEveryPendingImageInOrderAndReturnsTheLast) {
    script_.Transfers = {TWRC_XFERDONE, TWRC_XFERDONE, TWRC_XFERDONE};
    HGLOBAL last = TWAIN_AcquireImages(nullptr, 0);
    EXPECT_EQ(Images(), (std::vector<Byte>{1, 2, 3}));
    EXPECT_EQ(last, TWAIN_GetImage(2));
    EXPECT_EQ(TWAIN_GetDIBWidth(last), 4);
    EXPECT_EQ(TWAIN_GetDIBHeight(last), 2);
    EXPECT_EQ(TWAIN_GetDIBBitCount(last), 1);
    EXPECT_EQ(TWAIN_GetDIBColorCount(last), 2);
    EXPECT_TRUE(script_.ParentWasProxy);
    EXPECT_FALSE(IsWindow(static_cast<HWND>(script_.Parent)));  // the proxy is gone again
    EXPECT_TRUE(Boxes().empty());
    std::vector<TCall> expected{
        {DG_CONTROL, DAT_PARENT, MSG_OPENDSM, M},          {DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, M},
        {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, S},  {DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, S},
        {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, S},       {DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, S},
        {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, S},       {DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, S},
        {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, S},       {DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, S},
        {DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, S}, {DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, M},
        {DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, M},
    };
    EXPECT_EQ(script_.Calls, expected);
}

TEST_F(TwainEngine, CancelledTransfersAddNoImage) {
    script_.Transfers = {TWRC_CANCEL, TWRC_XFERDONE, TWRC_CANCEL};
    HGLOBAL last = TWAIN_AcquireImages(nullptr, 0);
    EXPECT_EQ(Images(), (std::vector<Byte>{1}));
    EXPECT_EQ(last, TWAIN_GetImage(0));

    // Everything cancelled: the loop goes on until the source asks to be closed.
    script_ = TScript{};
    script_.Transfers = {TWRC_CANCEL};
    EXPECT_EQ(TWAIN_AcquireImages(nullptr, 0), nullptr);
    EXPECT_EQ(TWAIN_GetImageCount(), 0);
    EXPECT_EQ(script_.Count(DAT_USERINTERFACE, MSG_DISABLEDS), 1u);
}

TEST_F(TwainEngine, AFailedTransferResetsThePendingOnesAndEndsWithoutLooping) {
    script_.Transfers = {TWRC_XFERDONE, TWRC_FAILURE, TWRC_XFERDONE};
    EXPECT_EQ(TWAIN_AcquireImages(nullptr, 0), nullptr);  // the last image is forgotten
    EXPECT_EQ(Images(), (std::vector<Byte>{1}));  // the pages scanned stay
    EXPECT_EQ(script_.Count(DAT_IMAGENATIVEXFER, MSG_GET), 2u);
    EXPECT_EQ(script_.Count(DAT_PENDINGXFERS, MSG_RESET), 1u);
}

TEST_F(TwainEngine, TheSourceClosingWithoutScanningGivesNothing) {
    script_.Events = {MSG_NULL, MSG_CLOSEDSREQ};
    EXPECT_EQ(TWAIN_AcquireImages(nullptr, 0), nullptr);
    EXPECT_EQ(TWAIN_GetImageCount(), 0);
    EXPECT_EQ(script_.Count(DAT_EVENT, MSG_PROCESSEVENT), 2u);
    EXPECT_EQ(script_.Count(DAT_IMAGENATIVEXFER, MSG_GET), 0u);
}

TEST_F(TwainEngine, ImagesPastTheListAreReleasedAndTheHookSeesEveryStoredOne) {
    static std::vector<Integer> hooked;
    hooked.clear();
    TWAIN_SetImageHook([](HGLOBAL, Integer Index) { hooked.push_back(Index); });
    script_.Transfers.assign(TwainMaxImages + 2, TWRC_XFERDONE);
    HGLOBAL last = TWAIN_AcquireImages(nullptr, 0);
    ASSERT_EQ(TWAIN_GetImageCount(), TwainMaxImages);
    EXPECT_EQ(last, TWAIN_GetImage(TwainMaxImages - 1));
    EXPECT_EQ(hooked.size(), size_t(TwainMaxImages));
    EXPECT_EQ(hooked.back(), TwainMaxImages - 1);
    EXPECT_EQ(TWAIN_GetImage(TwainMaxImages), nullptr);
    EXPECT_EQ(TWAIN_GetImage(-1), nullptr);
}

TEST_F(TwainEngine, AMaskOfZeroNegotiatesNothing) {
    script_.PixelConType = TWON_ENUMERATION;
    script_.PixelItems = {0, 1, 2};
    script_.Transfers = {TWRC_XFERDONE};
    TWAIN_AcquireImages(nullptr, 0);
    EXPECT_EQ(script_.Count(DAT_CAPABILITY, MSG_GET), 0u);
    EXPECT_EQ(script_.Count(DAT_CAPABILITY, MSG_SET), 0u);
}

TEST_F(TwainEngine, PixelTypesAreFilteredByTheMask) {
    struct Case {
        const char* Name;
        TW_UINT16 ConType;
        TW_UINT16 ItemType;
        std::vector<TW_UINT32> Items;
        Cardinal Mask;
        std::vector<Byte> Sent;  // the container sent back, empty: none
        Integer Failure;
    };
    const Case cases[] = {
        {"enumeration",
         TWON_ENUMERATION,
         TWTY_UINT16,
         {0, 1, 2},
         5,
         {4, 0, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 2, 0},
         0},
        {"array sorted", TWON_ARRAY, TWTY_INT16, {2, 0, 2, 1}, 6, {1, 0, 2, 0, 0, 0, 1, 0, 2, 0}, 0},
        {"one value in mask", TWON_ONEVALUE, TWTY_UINT16, {2}, 4, {}, 0},
        {"one value outside", TWON_ONEVALUE, TWTY_UINT16, {1}, 4, {}, 13},
        {"nothing left", TWON_ARRAY, TWTY_UINT16, {0, 1}, 4, {}, 13},
        {"wrong item type", TWON_ENUMERATION, TWTY_UINT32, {0, 1}, 1, {}, 11},
        {"no items", TWON_ARRAY, TWTY_UINT16, {}, 1, {}, 12},
        {"range", TWON_RANGE, TWTY_UINT16, {}, 1, {}, 10},
        {"no container", 0, TWTY_UINT16, {}, 1, {}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        script_ = TScript{};
        script_.PixelConType = c.ConType;
        script_.PixelItemType = c.ItemType;
        script_.PixelItems = c.Items;
        script_.Transfers = {TWRC_XFERDONE};
        if (c.Failure) dialogs_.Answer(mrOk);
        HGLOBAL image = TWAIN_AcquireImages(nullptr, c.Mask);
        EXPECT_EQ(image != nullptr, c.Failure == 0);
        EXPECT_EQ(TWAIN_LastFailure().Code, c.Failure);
        if (c.Sent.empty()) {
            EXPECT_TRUE(script_.SetContainers.empty());
        } else {
            ASSERT_EQ(script_.SetContainers.size(), 1u);
            EXPECT_EQ(script_.SetCaps[0], ICAP_PIXELTYPE);
            EXPECT_EQ(std::vector<Byte>(script_.SetContainers[0].begin(),
                                        script_.SetContainers[0].begin() + Integer(c.Sent.size())),
                      c.Sent);
        }
    }
    EXPECT_EQ(dialogs_.Requests().size(), 6u);
    EXPECT_EQ(Boxes().back(), "TWAIN Error: Failed to negotiate Pixel Type.");
}

TEST_F(TwainEngine, FailuresAreShownAndTheEngineEndsInStateOne) {
    struct Case {
        const char* Name;
        std::function<void(TScript&)> Arrange;
        std::string Box;
        Integer Failure;
        Cardinal Mask = 0;
    };
    const Case cases[] = {
        {"manager", [](TScript& s) { s.OpenDsm = TWRC_FAILURE; }, "Unable to open Source Manager (TWAIN_32.DLL)", 0},
        {"source", [](TScript& s) { s.OpenDs = TWRC_FAILURE, s.Condition = TWCC_NODS; },
         "Unable to open default Data Source.", 4},
        {"enable", [](TScript& s) { s.Enable = TWRC_FAILURE; }, "Failed to enable Data Source.", 5},
        {"type refused",
         [](TScript& s) {
             s.PixelConType = TWON_ARRAY, s.PixelItems = {0, 1}, s.CapSet = TWRC_FAILURE;
         },
         "Failed to negotiate Pixel Type.", 3, 3},
        {"type unread", [](TScript& s) { s.CapGet = TWRC_FAILURE; }, "Failed to negotiate Pixel Type.", 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        script_ = TScript{};
        c.Arrange(script_);
        dialogs_.Clear();
        dialogs_.Answer(mrOk);
        EXPECT_EQ(TWAIN_AcquireImages(nullptr, c.Mask), nullptr);
        EXPECT_EQ(Boxes(), std::vector<std::string>{"TWAIN Error: " + c.Box});
        EXPECT_EQ(dialogs_.Requests()[0].DlgType, mtWarning);
        EXPECT_EQ(TWAIN_LastFailure().Code, c.Failure);
        EXPECT_EQ(TWAIN_GetState(), 1);
        EXPECT_EQ(script_.Count(DAT_PARENT, MSG_CLOSEDSM), c.Failure ? 1u : 0u);
    }
    // The condition code of a failed step is kept with it.
    script_ = TScript{};
    script_.OpenDs = TWRC_FAILURE;
    script_.Condition = TWCC_NODS;
    dialogs_.Answer(mrOk);
    TWAIN_AcquireImages(nullptr, 0);
    EXPECT_EQ(TWAIN_LastFailure().ResultCode, TWRC_FAILURE);
    EXPECT_EQ(TWAIN_LastFailure().ConditionCode, TWCC_NODS);
}

TEST_F(TwainEngine, SourceSelectionUsesAProxyOrRefusesABadWindow) {
    script_.UserSelect = TWRC_SUCCESS;
    EXPECT_EQ(TWAIN_SelectImageSource(nullptr), 1);
    EXPECT_TRUE(script_.ParentWasProxy);
    EXPECT_FALSE(IsWindow(static_cast<HWND>(script_.Parent)));
    EXPECT_EQ(script_.Count(DAT_IDENTITY, MSG_USERSELECT), 1u);
    EXPECT_EQ(script_.Count(DAT_IDENTITY, MSG_OPENDS), 0u);

    script_ = TScript{};
    script_.UserSelect = TWRC_CANCEL;
    auto* form = new TForm(nullptr);
    form->Show();
    EXPECT_EQ(TWAIN_SelectImageSource(form), 0);
    EXPECT_EQ(script_.Parent, form);
    form->Free();

    script_ = TScript{};
    dialogs_.Answer(mrOk);
    EXPECT_EQ(TWAIN_SelectImageSource(reinterpret_cast<HWND>(uintptr_t(0x40))), 0);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"TWAIN Error: TWAIN_SelectImageSource: window handle is invalid"});
    EXPECT_TRUE(script_.Calls.empty());
}

TEST_F(TwainEngine, ACallersWindowIsDisabledWhileTheSourceRuns) {
    auto* form = new TForm(nullptr);
    form->Show();
    static TForm* watched;
    static bool enabledDuringTransfer;
    watched = form;
    TWAIN_SetImageHook([](HGLOBAL, Integer) { enabledDuringTransfer = IsWindowEnabled(watched); });
    script_.Transfers = {TWRC_XFERDONE};
    enabledDuringTransfer = true;
    TWAIN_AcquireImages(form, 0);
    EXPECT_FALSE(enabledDuringTransfer);
    EXPECT_TRUE(IsWindowEnabled(form));
    EXPECT_EQ(script_.Parent, form);
    form->Free();
}

TEST_F(TwainEngine, AQuitEndsTheLoopAndReachesTheProgramsLoop) {
    script_.Events = {MSG_NULL};
    script_.Transfers = {TWRC_XFERDONE};
    PostQuitMessage(3);
    EXPECT_EQ(TWAIN_AcquireImages(nullptr, 0), nullptr);
    EXPECT_EQ(script_.Count(DAT_USERINTERFACE, MSG_DISABLEDS), 1u);
    TMsg msg;
    while (GetMessage(msg, nullptr, 0, 0)) {}
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(TwainEngine, CapabilitiesOfTheOpenSource) {
    dialogs_.Answer(mrOk).Answer(mrOk);
    EXPECT_EQ(TWAIN_SetXferCount(1), 0);
    EXPECT_EQ(TWAIN_GetBitDepth(), 0);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"TWAIN Error: Attempt to set capability outside State 4.",
                                                 "TWAIN Error: Attempt to get capability value below State 4."}));
    EXPECT_EQ(TWAIN_GetConditionCode(), TWCC_SEQERROR);

    // An enumeration answers its current item, a one-value container its value; a mismatched
    // type or an index past the items gives nothing.
    script_.Current[ICAP_BITDEPTH] = {TWON_ENUMERATION, {4, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 8, 0, 16, 0}};
    script_.Current[ICAP_PIXELTYPE] = {TWON_ONEVALUE, {1, 0, 2, 0, 0, 0}};  // INT16 matches UINT16
    script_.Current[ICAP_UNITS] = {TWON_ENUMERATION, {4, 0, 1, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
    script_.Current[CAP_XFERCOUNT] = {TWON_ONEVALUE, {5, 0, 7, 0, 0, 0}};
    script_.Condition = TWCC_BADCAP;
    ASSERT_TRUE(TWAIN_OpenSourceManager(nullptr));
    EXPECT_EQ(TWAIN_GetConditionCode(), TWCC_BADCAP);
    ASSERT_TRUE(TWAIN_OpenDefaultSource());
    EXPECT_EQ(TWAIN_GetState(), 4);
    EXPECT_EQ(TWAIN_GetBitDepth(), 8);
    EXPECT_EQ(TWAIN_GetPixelType(), 2);
    EXPECT_EQ(TWAIN_GetCurrentUnits(), 0);
    TW_INT16 narrow = 0;
    EXPECT_EQ(TWAIN_GetCapCurrent(CAP_XFERCOUNT, TWTY_INT16, &narrow), 0);
    TW_INT32 wide = 0;
    EXPECT_EQ(TWAIN_GetCapCurrent(CAP_XFERCOUNT, TWTY_INT32, &wide), 1);
    EXPECT_EQ(wide, 7);
    EXPECT_EQ(TWAIN_SetXferCount(-1), 1);
    EXPECT_EQ(TWAIN_SetCurrentPixelType(TWPT_GRAY), 1);
    ASSERT_EQ(script_.SetContainers.size(), 2u);
    EXPECT_EQ(script_.SetContainers[0], (std::vector<Byte>{1, 0, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(script_.SetConTypes[0], TWON_ONEVALUE);
    EXPECT_EQ(script_.SetCaps[1], ICAP_PIXELTYPE);
    EXPECT_EQ(script_.SetContainers[1], (std::vector<Byte>{4, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(TWAIN_CloseSourceManager(nullptr));
    EXPECT_TRUE(TWAIN_UnloadSourceManager());
}

TEST_F(TwainEngine, ItemTypesAndTheSourceManagersFile) {
    EXPECT_TRUE(TWAIN_ItemTypesCompatible(TWTY_INT16, TWTY_UINT16));
    EXPECT_TRUE(TWAIN_ItemTypesCompatible(TWTY_STR32, TWTY_STR32));
    EXPECT_FALSE(TWAIN_ItemTypesCompatible(TWTY_INT16, TWTY_INT32));
    EXPECT_FALSE(TWAIN_ItemTypesCompatible(TWTY_BOOL, TWTY_UINT16));
    EXPECT_EQ(TWAIN_SourceManagerPath("/opt/twain"), "/opt/twain/TWAIN_32.DLL");
    EXPECT_EQ(TWAIN_SourceManagerPath("/"), "/TWAIN_32.DLL");
    EXPECT_EQ(TWAIN_SourceManagerPath(""), "TWAIN_32.DLL");
    EXPECT_EQ(TWAIN_GetEngineVersion(), 106);
}

// No source manager: each operation says so once, and the engine remembers it is unavailable.
TEST(TwainEngineAlone, AMissingSourceManagerIsReportedAndRemembered) {
    TScriptedDialogs dialogs;
    std::string folder = GetTempPath() + "lumora_twain_none";
    ForceDirectories(folder);
    SetWindowsDirectory(folder);
    dialogs.Answer(mrOk).Answer(mrOk);
    EXPECT_EQ(TWAIN_AcquireImages(nullptr, 0), nullptr);
    EXPECT_EQ(TWAIN_SelectImageSource(nullptr), 0);
    ASSERT_EQ(dialogs.Requests().size(), 2u);
    for (const auto& r : dialogs.Requests()) EXPECT_EQ(r.Text, "Unable to load Source Manager (TWAIN_32.DLL)");
    EXPECT_FALSE(TWAIN_IsAvailable());
    // A file that is no library is no source manager either; and once unavailable, it stays so.
    { std::ofstream(folder + "/TWAIN_32.DLL") << "not a library"; }
    dialogs.Answer(mrOk);
    EXPECT_EQ(TWAIN_AcquireImages(nullptr, 0), nullptr);
    SetWindowsDirectory(LUMORA_SCRIPTED_DSM_DIR);
    EXPECT_FALSE(TWAIN_IsAvailable());
    EXPECT_EQ(TWAIN_GetState(), 1);
    SetWindowsDirectory("");
    DeleteFile(folder + "/TWAIN_32.DLL");
    RemoveDir(folder);
}

// ---- DIB handles and BMP files -----------------------------------------------------------------

class TwainDibFiles : public ::testing::Test {
protected:
    void TearDown() override {
        for (HGLOBAL h : handles_) TWAIN_ReleaseDIB(h);
        DeleteFile(name_);
    }
    HGLOBAL Keep(HGLOBAL h) {
        if (h) handles_.push_back(h);
        return h;
    }
    static std::vector<Byte> Read(const std::string& Name) {
        std::ifstream in(Name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const std::string& Name, const std::vector<Byte>& Bytes) {
        std::ofstream(Name, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()), Integer(Bytes.size()));
    }
    static uint32_t U32(const std::vector<Byte>& b, size_t at) {
        uint32_t v;
        std::memcpy(&v, &b[at], 4);
        return v;
    }

    // CTest runs the cases as parallel processes: each has its own file.
    std::string name_ = GetTempPath() + "lumora_twain_dib_" + std::to_string(::getpid()) + ".bmp";
    std::vector<HGLOBAL> handles_;
};

TEST_F(TwainDibFiles, ACoreHeaderKeepsItsThreeByteTableInTheFile) {
    // 2 x 2, 1 bit, core header: 12 bytes, two 3-byte entries, two 4-byte rows.
    std::vector<Byte> dib{12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 1, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0, 0x40, 0, 0, 0};
    HGLOBAL h = Keep(GlobalAlloc(GMEM_MOVEABLE, dib.size()));
    std::memcpy(GlobalLock(h), dib.data(), dib.size());
    GlobalUnlock(h);
    EXPECT_EQ(TWAIN_GetDIBWidth(h), 2);
    EXPECT_EQ(TWAIN_GetDIBColorCount(h), 2);
    ASSERT_EQ(TWAIN_WriteDIBFile(h, name_), 0);
    std::vector<Byte> file = Read(name_);
    ASSERT_EQ(file.size(), 14 + dib.size());
    EXPECT_EQ(U32(file, 2), 14 + dib.size());
    EXPECT_EQ(U32(file, 10), 14u + 12 + 6);
    EXPECT_EQ(std::vector<Byte>(file.begin() + 14, file.end()), dib);

    HGLOBAL back = Keep(TWAIN_LoadDIBFile(name_));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(GlobalSize(back), dib.size());
    EXPECT_EQ(std::memcmp(GlobalLock(back), dib.data(), dib.size()), 0);
    GlobalUnlock(back);
}

TEST_F(TwainDibFiles, AnUnsetImageSizeIsFilledInAndTheFileReadsBack) {
    HGLOBAL h = Keep(MakeDib(33, 3, 0x5A));  // rows of 8 bytes
    ASSERT_EQ(TWAIN_WriteDIBFile(h, name_), 0);
    std::vector<Byte> file = Read(name_);
    EXPECT_EQ(U32(file, 14 + 20), 24u);
    EXPECT_EQ(U32(file, 10), 14u + 40 + 8);
    EXPECT_EQ(file.size(), 14u + 40 + 8 + 24);
    HGLOBAL back = Keep(TWAIN_LoadDIBFile(name_));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(DibTag(back), 0x5A);
    EXPECT_EQ(TWAIN_GetDIBWidth(back), 33);
}

TEST_F(TwainDibFiles, DamagedFilesLoadAsNothingAndFailedWritesKeepTheOldFile) {
    HGLOBAL h = Keep(MakeDib(8, 8, 1));
    ASSERT_EQ(TWAIN_WriteDIBFile(h, name_), 0);
    std::vector<Byte> good = Read(name_);
    struct Case {
        const char* Name;
        std::function<void(std::vector<Byte>&)> Damage;
    };
    const Case cases[] = {
        {"rows cut short", [](std::vector<Byte>& b) { b.erase(b.end() - 4, b.end()); }},
        {"file size claims more", [](std::vector<Byte>& b) { b[2] = 0xFF, b[3] = 0xFF, b.pop_back(); }},
        {"not BM", [](std::vector<Byte>& b) { b[0] = 'X'; }},
        {"header only", [](std::vector<Byte>& b) { b.resize(30); }},
        {"pixel offset past the end", [](std::vector<Byte>& b) { b[10] = 0xFF, b[11] = 0xFF; }},
        {"huge width", [](std::vector<Byte>& b) { b[14 + 4] = 0xFF, b[14 + 5] = 0xFF, b[14 + 6] = 0xFF; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<Byte> bad = good;
        c.Damage(bad);
        Write(name_, bad);
        EXPECT_EQ(TWAIN_LoadDIBFile(name_), nullptr);
    }
    // The file header says only what the file holds: a larger file size field is not trusted.
    std::vector<Byte> claimed = good;
    claimed[2] = 0xFF;
    Write(name_, claimed);
    EXPECT_NE(Keep(TWAIN_LoadDIBFile(name_)), nullptr);

    Write(name_, good);
    EXPECT_EQ(TWAIN_WriteDIBFile(h, GetTempPath() + "no_such_folder_lumora/x.bmp"), -4);
    EXPECT_EQ(TWAIN_WriteDIBFile(nullptr, name_), -3);
    EXPECT_EQ(Read(name_), good);
}

TEST_F(TwainDibFiles, FileNamesComeFromTheDialogsWhenNoneIsGiven) {
    TScriptedDialogs dialogs;
    HGLOBAL h = Keep(MakeDib(8, 8, 7));
    std::string bare = name_.substr(0, name_.size() - 4);
    dialogs.Answer(mrOk, bare).Answer(mrCancel).Answer(mrOk, name_);
    EXPECT_EQ(TWAIN_WriteDIBFile(h, ""), 0);  // ".bmp" appended
    EXPECT_EQ(TWAIN_WriteDIBFile(h, ""), -1);
    HGLOBAL back = Keep(TWAIN_LoadDIBFile(""));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(DibTag(back), 7);
    EXPECT_EQ(dialogs.Requests()[0].Filter, "Windows Bitmap (*.bmp)|*.bmp");
    EXPECT_EQ(dialogs.Requests()[2].Filter, "Windows Bitmaps (*.bmp)|*.bmp");
}

TEST_F(TwainDibFiles, PaletteAndPainting) {
    HGLOBAL h = Keep(MakeDib(8, 2, 0xF0));  // top row: 0x00 (black), bottom row: 4 white 4 black
    HPALETTE pal = TWAIN_CreateDIBPalette(h);
    PALETTEENTRY e[3]{};
    ASSERT_EQ(GetPaletteEntries(pal, 0, 3, e), 2u);
    EXPECT_EQ(e[1].peRed, 255);
    DeleteObject(pal);
    EXPECT_EQ(TWAIN_CreateDIBPalette(nullptr), nullptr);

    auto* bmp = new TBitmap();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(4, 2);
    TWAIN_PaintDIB(bmp->GetCanvas()->GetHandle(), 0, 0, 4, 2, h, 2, 0);
    EXPECT_EQ(bmp->GetCanvas()->GetPixels(0, 1), clWhite);  // bottom row, columns 2..3
    EXPECT_EQ(bmp->GetCanvas()->GetPixels(2, 1), clBlack);
    EXPECT_EQ(bmp->GetCanvas()->GetPixels(0, 0), clBlack);
    delete bmp;
}

}  // namespace
