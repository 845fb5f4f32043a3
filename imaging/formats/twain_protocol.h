#pragma once
// The scanner and camera protocol spoken between the acquisition engine (twain.h) and a source
// manager: its structures, with the standard's two-byte packing, and its constants with their
// published values. A source manager module exports DSM_Entry with C linkage.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

using TW_INT8 = int8_t;
using TW_INT16 = int16_t;
using TW_INT32 = int32_t;
using TW_UINT8 = uint8_t;
using TW_UINT16 = uint16_t;
using TW_UINT32 = uint32_t;
using TW_BOOL = uint16_t;
using TW_HANDLE = void*;
using TW_MEMREF = void*;
using TW_STR32 = char[34];

#pragma pack(push, 2)

struct TW_FIX32 {
    TW_INT16 Whole;
    TW_UINT16 Frac;
};

struct TW_VERSION {
    TW_UINT16 MajorNum;
    TW_UINT16 MinorNum;
    TW_UINT16 Language;
    TW_UINT16 Country;
    TW_STR32 Info;
};

struct TW_IDENTITY {
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor;
    TW_UINT16 ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer;
    TW_STR32 ProductFamily;
    TW_STR32 ProductName;
};

struct TW_USERINTERFACE {
    TW_BOOL ShowUI;
    TW_BOOL ModalUI;
    TW_HANDLE hParent;
};

struct TW_CAPABILITY {
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    TW_HANDLE hContainer;
};

struct TW_ONEVALUE {
    TW_UINT16 ItemType;
    TW_UINT32 Item;
};

struct TW_ENUMERATION {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT32 CurrentIndex;
    TW_UINT32 DefaultIndex;
    TW_UINT8 ItemList[1];
};

struct TW_ARRAY {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT8 ItemList[1];
};

struct TW_RANGE {
    TW_UINT16 ItemType;
    TW_UINT32 MinValue;
    TW_UINT32 MaxValue;
    TW_UINT32 StepSize;
    TW_UINT32 DefaultValue;
    TW_UINT32 CurrentValue;
};

// DAT_EVENT: the window message offered to the source and its answer.
struct TW_EVENT {
    TW_MEMREF pEvent;
    TW_UINT16 TWMessage;
};

struct TW_PENDINGXFERS {
    TW_UINT16 Count;
    TW_UINT32 Reserved;
};

struct TW_STATUS {
    TW_UINT16 ConditionCode;
    TW_UINT16 Reserved;
};

#pragma pack(pop)

static_assert(sizeof(TW_ONEVALUE) == 6);
static_assert(sizeof(TW_IDENTITY) == 156);
static_assert(offsetof(TW_ENUMERATION, ItemList) == 14);
static_assert(offsetof(TW_ARRAY, ItemList) == 6);

extern "C" {
// The source manager's one entry point; DAT_IMAGENATIVEXFER passes a TW_HANDLE* for the image.
using DSMENTRYPROC = TW_UINT16 (*)(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                   TW_MEMREF pData);
}

// Data groups
constexpr TW_UINT32 DG_CONTROL = 0x0001;
constexpr TW_UINT32 DG_IMAGE = 0x0002;

// Data argument types
constexpr TW_UINT16 DAT_NULL = 0x0000;
constexpr TW_UINT16 DAT_CAPABILITY = 0x0001;
constexpr TW_UINT16 DAT_EVENT = 0x0002;
constexpr TW_UINT16 DAT_IDENTITY = 0x0003;
constexpr TW_UINT16 DAT_PARENT = 0x0004;
constexpr TW_UINT16 DAT_PENDINGXFERS = 0x0005;
constexpr TW_UINT16 DAT_STATUS = 0x0008;
constexpr TW_UINT16 DAT_USERINTERFACE = 0x0009;
constexpr TW_UINT16 DAT_IMAGEINFO = 0x0101;
constexpr TW_UINT16 DAT_IMAGENATIVEXFER = 0x0104;

// Messages
constexpr TW_UINT16 MSG_NULL = 0x0000;
constexpr TW_UINT16 MSG_GET = 0x0001;
constexpr TW_UINT16 MSG_GETCURRENT = 0x0002;
constexpr TW_UINT16 MSG_GETDEFAULT = 0x0003;
constexpr TW_UINT16 MSG_GETFIRST = 0x0004;
constexpr TW_UINT16 MSG_GETNEXT = 0x0005;
constexpr TW_UINT16 MSG_SET = 0x0006;
constexpr TW_UINT16 MSG_RESET = 0x0007;
constexpr TW_UINT16 MSG_QUERYSUPPORT = 0x0008;
constexpr TW_UINT16 MSG_XFERREADY = 0x0101;
constexpr TW_UINT16 MSG_CLOSEDSREQ = 0x0102;
constexpr TW_UINT16 MSG_CLOSEDSOK = 0x0103;
constexpr TW_UINT16 MSG_OPENDSM = 0x0301;
constexpr TW_UINT16 MSG_CLOSEDSM = 0x0302;
constexpr TW_UINT16 MSG_OPENDS = 0x0401;
constexpr TW_UINT16 MSG_CLOSEDS = 0x0402;
constexpr TW_UINT16 MSG_USERSELECT = 0x0403;
constexpr TW_UINT16 MSG_DISABLEDS = 0x0501;
constexpr TW_UINT16 MSG_ENABLEDS = 0x0502;
constexpr TW_UINT16 MSG_PROCESSEVENT = 0x0601;
constexpr TW_UINT16 MSG_ENDXFER = 0x0701;

// Return codes
constexpr TW_UINT16 TWRC_SUCCESS = 0;
constexpr TW_UINT16 TWRC_FAILURE = 1;
constexpr TW_UINT16 TWRC_CHECKSTATUS = 2;
constexpr TW_UINT16 TWRC_CANCEL = 3;
constexpr TW_UINT16 TWRC_DSEVENT = 4;
constexpr TW_UINT16 TWRC_NOTDSEVENT = 5;
constexpr TW_UINT16 TWRC_XFERDONE = 6;
constexpr TW_UINT16 TWRC_ENDOFLIST = 7;

// Condition codes
constexpr TW_UINT16 TWCC_SUCCESS = 0;
constexpr TW_UINT16 TWCC_BUMMER = 1;
constexpr TW_UINT16 TWCC_LOWMEMORY = 2;
constexpr TW_UINT16 TWCC_NODS = 3;
constexpr TW_UINT16 TWCC_OPERATIONERROR = 5;
constexpr TW_UINT16 TWCC_BADCAP = 6;
constexpr TW_UINT16 TWCC_BADPROTOCOL = 9;
constexpr TW_UINT16 TWCC_BADVALUE = 10;
constexpr TW_UINT16 TWCC_SEQERROR = 11;
constexpr TW_UINT16 TWCC_BADDEST = 12;
constexpr TW_UINT16 TWCC_CAPUNSUPPORTED = 13;
constexpr TW_UINT16 TWCC_CAPBADOPERATION = 14;
constexpr TW_UINT16 TWCC_PAPERJAM = 20;

// Containers
constexpr TW_UINT16 TWON_ARRAY = 3;
constexpr TW_UINT16 TWON_ENUMERATION = 4;
constexpr TW_UINT16 TWON_ONEVALUE = 5;
constexpr TW_UINT16 TWON_RANGE = 6;
constexpr TW_UINT16 TWON_DONTCARE16 = 0xFFFF;

// Item types
constexpr TW_UINT16 TWTY_INT8 = 0x0000;
constexpr TW_UINT16 TWTY_INT16 = 0x0001;
constexpr TW_UINT16 TWTY_INT32 = 0x0002;
constexpr TW_UINT16 TWTY_UINT8 = 0x0003;
constexpr TW_UINT16 TWTY_UINT16 = 0x0004;
constexpr TW_UINT16 TWTY_UINT32 = 0x0005;
constexpr TW_UINT16 TWTY_BOOL = 0x0006;
constexpr TW_UINT16 TWTY_FIX32 = 0x0007;
constexpr TW_UINT16 TWTY_FRAME = 0x0008;
constexpr TW_UINT16 TWTY_STR32 = 0x0009;
constexpr TW_UINT16 TWTY_STR64 = 0x000A;
constexpr TW_UINT16 TWTY_STR128 = 0x000B;
constexpr TW_UINT16 TWTY_STR255 = 0x000C;
// Bytes of an item of each type above.
constexpr TW_UINT32 TwainItemSizes[13] = {1, 2, 4, 1, 2, 4, 2, 4, 16, 34, 66, 130, 256};

// Capabilities
constexpr TW_UINT16 CAP_XFERCOUNT = 0x0001;
constexpr TW_UINT16 ICAP_COMPRESSION = 0x0100;
constexpr TW_UINT16 ICAP_PIXELTYPE = 0x0101;
constexpr TW_UINT16 ICAP_UNITS = 0x0102;
constexpr TW_UINT16 ICAP_XFERMECH = 0x0103;
constexpr TW_UINT16 CAP_FEEDERENABLED = 0x1002;
constexpr TW_UINT16 ICAP_XRESOLUTION = 0x1118;
constexpr TW_UINT16 ICAP_YRESOLUTION = 0x1119;
constexpr TW_UINT16 ICAP_BITDEPTH = 0x112B;

// Pixel types
constexpr TW_UINT16 TWPT_BW = 0;
constexpr TW_UINT16 TWPT_GRAY = 1;
constexpr TW_UINT16 TWPT_RGB = 2;
constexpr TW_UINT16 TWPT_PALETTE = 3;

// Units
constexpr TW_UINT16 TWUN_INCHES = 0;
constexpr TW_UINT16 TWUN_CENTIMETERS = 1;
constexpr TW_UINT16 TWUN_PIXELS = 5;

// Puts Text into a 32-character string field, cut to fit and always terminated.
inline void TwainSetString(TW_STR32& Dest, std::string_view Text) {
    size_t n = Text.size() < sizeof(TW_STR32) - 1 ? Text.size() : sizeof(TW_STR32) - 1;
    std::memcpy(Dest, Text.data(), n);
    Dest[n] = 0;
}
