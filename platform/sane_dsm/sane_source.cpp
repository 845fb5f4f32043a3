#include "platform/sane_dsm/sane_source.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "framework/controls.h"
#include "framework/dib_reader.h"
#include "framework/dynlib.h"
#include "framework/registry.h"
#include "framework/sysutils.h"
#include "platform/sane_dsm/sane_dialogs.h"
#include "platform/sane_dsm/sane_dib.h"

namespace {

struct TSaneDevice {
    std::string Name;
    std::string Title;
    std::string Vendor;
    std::string Model;
};

std::vector<TSaneDevice> ListDevices() {
    std::vector<TSaneDevice> v;
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list) return v;
    for (; *list; ++list) {
        const SANE_Device* d = *list;
        std::string vendor = d->vendor ? d->vendor : "", model = d->model ? d->model : "";
        v.push_back({d->name, vendor + " " + model + " (" + d->name + ")", vendor, model});
    }
    return v;
}

std::string DefaultDeviceName() {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (!reg.OpenKeyReadOnly(SaneSourceKey) || !reg.ValueExists(SaneSourceValue)) return {};
    return reg.ReadString(SaneSourceValue);
}

void KeepDefaultDeviceName(const std::string& Name) {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKey(SaneSourceKey, true)) reg.WriteString(SaneSourceValue, Name);
}

void Describe(TW_IDENTITY& Id, const TSaneDevice& Device) {
    Id = TW_IDENTITY{};
    Id.Id = 1;
    Id.Version.MajorNum = 1;
    TwainSetString(Id.Version.Info, "SANE");
    Id.ProtocolMajor = 1;
    Id.ProtocolMinor = 6;
    Id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    TwainSetString(Id.Manufacturer, Device.Vendor);
    TwainSetString(Id.ProductFamily, Device.Model);
    TwainSetString(Id.ProductName, Device.Name);
}

TW_UINT16 ConditionOf(SANE_Status Status) {
    switch (Status) {
        case SANE_STATUS_NO_MEM: return TWCC_LOWMEMORY;
        case SANE_STATUS_JAMMED: return TWCC_PAPERJAM;
        case SANE_STATUS_INVAL: return TWCC_BADVALUE;
        case SANE_STATUS_IO_ERROR:
        case SANE_STATUS_DEVICE_BUSY:
        case SANE_STATUS_COVER_OPEN:
        case SANE_STATUS_NO_DOCS: return TWCC_OPERATIONERROR;
        default: return TWCC_BUMMER;
    }
}

bool IsLineartMode(const std::string& Mode) {
    return SameText(Mode, "Lineart") || SameText(Mode, "Binary") || SameText(Mode, "Halftone");
}

// Reads one frame to its end (SANE_STATUS_EOF); a frame that passes the largest bitmap is refused.
SANE_Status ReadFrame(SANE_Handle Device, std::vector<SANE_Byte>& Data) {
    SANE_Byte buffer[65536];
    for (;;) {
        SANE_Int got = 0;
        SANE_Status st = sane_read(Device, buffer, SANE_Int(sizeof buffer), &got);
        if (got > 0) Data.insert(Data.end(), buffer, buffer + got);
        if (st != SANE_STATUS_GOOD) return st;
        if (Data.size() > size_t(DibMaxPixels) * 6) return SANE_STATUS_NO_MEM;
    }
}

// A capability container in a global memory block.
HGLOBAL OneValue(TW_UINT16 ItemType, TW_UINT32 Value) {
    HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
    if (auto* one = h ? static_cast<TW_ONEVALUE*>(GlobalLock(h)) : nullptr) {
        one->ItemType = ItemType;
        one->Item = Value;
        GlobalUnlock(h);
    }
    return h;
}

HGLOBAL Enumeration(const std::vector<TW_UINT16>& Items, TW_UINT16 Current) {
    size_t at = offsetof(TW_ENUMERATION, ItemList);
    HGLOBAL h = GlobalAlloc(GHND, at + Items.size() * 2);
    if (auto* p = h ? static_cast<Byte*>(GlobalLock(h)) : nullptr) {
        auto* e = reinterpret_cast<TW_ENUMERATION*>(p);
        e->ItemType = TWTY_UINT16;
        e->NumItems = TW_UINT32(Items.size());
        auto it = std::find(Items.begin(), Items.end(), Current);
        e->CurrentIndex = it == Items.end() ? 0 : TW_UINT32(it - Items.begin());
        e->DefaultIndex = 0;
        std::memcpy(p + at, Items.data(), Items.size() * 2);
        GlobalUnlock(h);
    }
    return h;
}

// The values a MSG_SET container proposes: its one value, or the items of an enumeration (its
// current one first when the index is valid) or of an array.
std::vector<TW_UINT32> ProposedValues(const TW_CAPABILITY& Cap) {
    std::vector<TW_UINT32> v;
    auto* p = Cap.hContainer ? static_cast<const Byte*>(GlobalLock(Cap.hContainer)) : nullptr;
    if (!p) return v;
    size_t size = GlobalSize(Cap.hContainer);
    auto item = [&](TW_UINT16 Type, size_t At) {
        TW_UINT32 value = 0;
        size_t n = Type < std::size(TwainItemSizes) ? std::min<size_t>(TwainItemSizes[Type], 4) : 0;
        if (n && At + n <= size) std::memcpy(&value, p + At, n);
        return value;
    };
    if (Cap.ConType == TWON_ONEVALUE && size >= sizeof(TW_ONEVALUE)) {
        auto* one = reinterpret_cast<const TW_ONEVALUE*>(p);
        v.push_back(item(one->ItemType, offsetof(TW_ONEVALUE, Item)));
    } else if ((Cap.ConType == TWON_ENUMERATION && size >= offsetof(TW_ENUMERATION, ItemList)) ||
               (Cap.ConType == TWON_ARRAY && size >= offsetof(TW_ARRAY, ItemList))) {
        bool isEnum = Cap.ConType == TWON_ENUMERATION;
        TW_UINT16 type = isEnum ? reinterpret_cast<const TW_ENUMERATION*>(p)->ItemType
                                : reinterpret_cast<const TW_ARRAY*>(p)->ItemType;
        TW_UINT32 count = isEnum ? reinterpret_cast<const TW_ENUMERATION*>(p)->NumItems
                                 : reinterpret_cast<const TW_ARRAY*>(p)->NumItems;
        size_t at = isEnum ? offsetof(TW_ENUMERATION, ItemList) : offsetof(TW_ARRAY, ItemList);
        size_t each = type < std::size(TwainItemSizes) ? TwainItemSizes[type] : 0;
        for (TW_UINT32 i = 0; each && i < count && at + (i + 1) * each <= size; ++i)
            v.push_back(item(type, at + i * each));
        if (isEnum) {
            TW_UINT32 current = reinterpret_cast<const TW_ENUMERATION*>(p)->CurrentIndex;
            if (current < v.size()) std::rotate(v.begin(), v.begin() + current, v.begin() + current + 1);
        }
    }
    GlobalUnlock(Cap.hContainer);
    return v;
}

}  // namespace

// ---- Calls -----------------------------------------------------------------------------------

TW_UINT16 TSaneSourceManager::Fail(TW_UINT16 Condition) {
    FCondition = Condition;
    return TWRC_FAILURE;
}

// The condition of the last failure, which reading clears.
TW_UINT16 TSaneSourceManager::Status(TW_STATUS& Out) {
    Out = TW_STATUS{FCondition, 0};
    FCondition = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 TSaneSourceManager::Entry(TW_IDENTITY* Origin, TW_IDENTITY* Dest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                    TW_MEMREF Data) {
    if (!Origin || (!Data && MSG != MSG_NULL)) return Fail(TWCC_BADVALUE);
    try {
        if (DAT == DAT_PARENT || DAT == DAT_IDENTITY || (DAT == DAT_STATUS && !Dest)) {
            if (DG != DG_CONTROL) return Fail(TWCC_BADPROTOCOL);
            return ManagerCall(DAT, MSG, Data);
        }
        if (!Dest || !FDevice) return Fail(TWCC_BADDEST);
        return SourceCall(DG, DAT, MSG, Data);
    } catch (...) {
        // Nothing may unwind into the caller: it is a C entry point.
        return Fail(TWCC_BUMMER);
    }
}

TW_UINT16 TSaneSourceManager::ManagerCall(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data) {
    switch (DAT) {
        case DAT_PARENT:
            if (MSG == MSG_OPENDSM) return OpenManager();
            if (MSG == MSG_CLOSEDSM) {
                CloseManager();
                return TWRC_SUCCESS;
            }
            break;
        case DAT_IDENTITY:
            if (!FManagerOpen) return Fail(TWCC_SEQERROR);
            if (MSG == MSG_OPENDS) return OpenSource(*static_cast<TW_IDENTITY*>(Data));
            if (MSG == MSG_USERSELECT) return UserSelect(*static_cast<TW_IDENTITY*>(Data));
            if (MSG == MSG_CLOSEDS) {
                if (!FDevice) return Fail(TWCC_SEQERROR);
                CloseSource();
                return TWRC_SUCCESS;
            }
            break;
        case DAT_STATUS:
            if (MSG == MSG_GET) return Status(*static_cast<TW_STATUS*>(Data));
            break;
        default: break;
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 TSaneSourceManager::SourceCall(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data) {
    if (DG == DG_IMAGE && DAT == DAT_IMAGENATIVEXFER && MSG == MSG_GET) {
        if (FPhase != TPhase::Transferring) return Fail(TWCC_SEQERROR);
        return NativeTransfer(*static_cast<TW_HANDLE*>(Data));
    }
    if (DG != DG_CONTROL) return Fail(TWCC_BADPROTOCOL);
    switch (DAT) {
        case DAT_USERINTERFACE:
            if (MSG == MSG_ENABLEDS) {
                FShowUI = static_cast<TW_USERINTERFACE*>(Data)->ShowUI != 0;
                FPhase = TPhase::Enabled;
                PostMessage(nullptr, WM_NULL, 0, 0);  // the caller's loop offers us its next message
                return TWRC_SUCCESS;
            }
            if (MSG == MSG_DISABLEDS) {
                FPhase = TPhase::Idle;
                return TWRC_SUCCESS;
            }
            break;
        case DAT_EVENT:
            if (MSG == MSG_PROCESSEVENT) return ProcessEvent(*static_cast<TW_EVENT*>(Data));
            break;
        case DAT_PENDINGXFERS:
            if (MSG == MSG_ENDXFER || MSG == MSG_RESET)
                return EndTransfer(*static_cast<TW_PENDINGXFERS*>(Data), MSG == MSG_RESET);
            if (MSG == MSG_GET) {
                static_cast<TW_PENDINGXFERS*>(Data)->Count = FPhase == TPhase::Transferring ? 1 : 0;
                return TWRC_SUCCESS;
            }
            break;
        case DAT_CAPABILITY: return Capability(MSG, *static_cast<TW_CAPABILITY*>(Data));
        case DAT_STATUS:
            if (MSG == MSG_GET) return Status(*static_cast<TW_STATUS*>(Data));
            break;
        default: break;
    }
    return Fail(TWCC_BADPROTOCOL);
}

// ---- The manager -----------------------------------------------------------------------------

TW_UINT16 TSaneSourceManager::OpenManager() {
    if (FManagerOpen) return TWRC_SUCCESS;
    SANE_Int version = 0;
    if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) return Fail(TWCC_BUMMER);
    FManagerOpen = true;
    return TWRC_SUCCESS;
}

void TSaneSourceManager::CloseManager() {
    if (!FManagerOpen) return;
    CloseSource();
    sane_exit();
    FManagerOpen = false;
}

TW_UINT16 TSaneSourceManager::OpenSource(TW_IDENTITY& Identity) {
    if (FDevice) return Fail(TWCC_SEQERROR);
    std::vector<TSaneDevice> devices = ListDevices();
    if (devices.empty()) return Fail(TWCC_NODS);
    std::string wanted = DefaultDeviceName();
    auto it = std::find_if(devices.begin(), devices.end(), [&](const TSaneDevice& d) { return d.Name == wanted; });
    const TSaneDevice& device = it != devices.end() ? *it : devices.front();
    if (sane_open(device.Name.c_str(), &FDevice) != SANE_STATUS_GOOD) {
        FDevice = nullptr;
        return Fail(TWCC_NODS);
    }
    FDeviceName = device.Name;
    FDeviceTitle = device.Title;
    FPhase = TPhase::Idle;
    FStarted = false;
    FXferCount = -1;
    FUnits = TWUN_INCHES;
    Describe(Identity, device);
    return TWRC_SUCCESS;
}

void TSaneSourceManager::CloseSource() {
    if (!FDevice) return;
    sane_cancel(FDevice);
    sane_close(FDevice);
    FDevice = nullptr;
    FPhase = TPhase::Idle;
    FStarted = false;
}

TW_UINT16 TSaneSourceManager::UserSelect(TW_IDENTITY& Identity) {
    std::vector<TSaneDevice> devices = ListDevices();
    if (devices.empty()) return Fail(TWCC_NODS);
    std::vector<std::string> titles;
    Integer current = 0;
    std::string wanted = DefaultDeviceName();
    for (size_t i = 0; i < devices.size(); ++i) {
        titles.push_back(devices[i].Title);
        if (devices[i].Name == wanted) current = Integer(i);
    }
    Integer chosen = RunSaneSelectDialog(titles, current);
    if (chosen < 0 || size_t(chosen) >= devices.size()) return TWRC_CANCEL;
    KeepDefaultDeviceName(devices[size_t(chosen)].Name);
    Describe(Identity, devices[size_t(chosen)]);
    return TWRC_SUCCESS;
}

// ---- The source ------------------------------------------------------------------------------

TW_UINT16 TSaneSourceManager::ProcessEvent(TW_EVENT& Event) {
    Event.TWMessage = MSG_NULL;
    if (FPhase == TPhase::Enabled) {
        FPages = 0;
        if (FShowUI) {
            TSaneScanChoice choice;
            choice.Modes = StringChoices("mode");
            choice.Sources = StringChoices("source");
            choice.Resolutions = ResolutionChoices();
            choice.Mode = GetString("mode");
            choice.Source = GetString("source");
            choice.Resolution = Integer(std::lround(GetNumber("resolution")));
            if (!RunSaneScanDialog(FDeviceTitle, choice)) {
                FPhase = TPhase::Ended;
                Event.TWMessage = MSG_CLOSEDSREQ;
                return TWRC_DSEVENT;
            }
            if (!choice.Mode.empty() && choice.Mode != GetString("mode")) SetString("mode", choice.Mode);
            if (!choice.Source.empty()) SetString("source", choice.Source);
            if (choice.Resolution > 0) SetNumber("resolution", choice.Resolution);
        }
        FPhase = TPhase::Transferring;
        Event.TWMessage = MSG_XFERREADY;
        return TWRC_DSEVENT;
    }
    if (FPhase == TPhase::Ended) {
        Event.TWMessage = MSG_CLOSEDSREQ;
        return TWRC_DSEVENT;
    }
    return TWRC_NOTDSEVENT;
}

TW_UINT16 TSaneSourceManager::NativeTransfer(TW_HANDLE& Image) {
    Image = nullptr;
    SANE_Status st = FStarted ? SANE_STATUS_GOOD : sane_start(FDevice);
    FStarted = false;
    std::vector<TSaneFrame> frames;
    while (st == SANE_STATUS_GOOD) {
        TSaneFrame frame;
        st = sane_get_parameters(FDevice, &frame.Params);
        if (st != SANE_STATUS_GOOD) break;
        st = ReadFrame(FDevice, frame.Data);
        if (st != SANE_STATUS_EOF) break;
        st = SANE_STATUS_GOOD;
        bool last = frame.Params.last_frame;
        frames.push_back(std::move(frame));
        if (last) break;
        st = sane_start(FDevice);  // the next frame of a three-pass scan
    }
    if (st != SANE_STATUS_GOOD) {
        sane_cancel(FDevice);
        if (st == SANE_STATUS_CANCELLED) return TWRC_CANCEL;
        return Fail(ConditionOf(st));
    }
    Image = SaneFramesToDib(frames, GetNumber("resolution"));
    if (!Image) {
        sane_cancel(FDevice);
        return Fail(TWCC_LOWMEMORY);
    }
    ++FPages;
    return TWRC_XFERDONE;
}

TW_UINT16 TSaneSourceManager::EndTransfer(TW_PENDINGXFERS& Pending, bool Reset) {
    Pending.Count = 0;
    if (FPhase != TPhase::Transferring) return Reset ? TWRC_SUCCESS : Fail(TWCC_SEQERROR);
    if (!Reset && FeederSelected() && (FXferCount < 0 || FPages < FXferCount)) {
        // The feeder has another page when the next scan starts.
        SANE_Status st = sane_start(FDevice);
        if (st == SANE_STATUS_GOOD) {
            FStarted = true;
            Pending.Count = FXferCount < 0 ? TW_UINT16(0xFFFF) : TW_UINT16(FXferCount - FPages);
        } else if (st != SANE_STATUS_NO_DOCS) {
            FCondition = ConditionOf(st);
        }
    }
    if (Pending.Count == 0) {
        sane_cancel(FDevice);
        FStarted = false;
        TransfersEnded();
    }
    return TWRC_SUCCESS;
}

void TSaneSourceManager::TransfersEnded() {
    FPhase = TPhase::Ended;
    PostMessage(nullptr, WM_NULL, 0, 0);  // so the caller's loop hears our request to close
}

TW_UINT16 TSaneSourceManager::Capability(TW_UINT16 MSG, TW_CAPABILITY& Cap) {
    bool get = MSG == MSG_GET || MSG == MSG_GETCURRENT || MSG == MSG_GETDEFAULT;
    if (!get && MSG != MSG_SET) return Fail(TWCC_CAPBADOPERATION);
    if (!get && FPhase != TPhase::Idle) return Fail(TWCC_SEQERROR);
    std::vector<TW_UINT32> proposed = get ? std::vector<TW_UINT32>{} : ProposedValues(Cap);
    if (!get && proposed.empty()) return Fail(TWCC_BADVALUE);
    HGLOBAL answer = nullptr;
    TW_UINT16 conType = TWON_ONEVALUE;
    switch (Cap.Cap) {
        case ICAP_PIXELTYPE: {
            if (MSG == MSG_GET) {
                answer = Enumeration(PixelTypes(), CurrentPixelType());
                conType = TWON_ENUMERATION;
            } else if (get) {
                answer = OneValue(TWTY_UINT16, CurrentPixelType());
            } else {
                // The current type when it is among those proposed, else the first proposed.
                TW_UINT16 current = CurrentPixelType();
                bool keep = std::find(proposed.begin(), proposed.end(), current) != proposed.end();
                if (!keep && !SetPixelType(TW_UINT16(proposed.front()))) return Fail(TWCC_BADVALUE);
                return TWRC_SUCCESS;
            }
            break;
        }
        case ICAP_BITDEPTH:
            if (!get) return SetBitDepth(TW_UINT16(proposed.front())) ? TWRC_SUCCESS : Fail(TWCC_BADVALUE);
            answer = OneValue(TWTY_UINT16, CurrentBitDepth());
            break;
        case ICAP_UNITS:
            if (!get) {
                TW_UINT16 units = TW_UINT16(proposed.front());
                if (units != TWUN_INCHES && units != TWUN_CENTIMETERS && units != TWUN_PIXELS)
                    return Fail(TWCC_BADVALUE);
                FUnits = units;
                return TWRC_SUCCESS;
            }
            if (MSG == MSG_GET) {
                answer = Enumeration({TWUN_INCHES, TWUN_CENTIMETERS, TWUN_PIXELS}, FUnits);
                conType = TWON_ENUMERATION;
            } else {
                answer = OneValue(TWTY_UINT16, MSG == MSG_GETDEFAULT ? TWUN_INCHES : FUnits);
            }
            break;
        case CAP_XFERCOUNT:
            if (!get) {
                auto count = TW_INT16(TW_UINT16(proposed.front()));
                if (count == 0 || count < -1) return Fail(TWCC_BADVALUE);
                FXferCount = count;
                return TWRC_SUCCESS;
            }
            answer = OneValue(TWTY_INT16, TW_UINT16(MSG == MSG_GETDEFAULT ? -1 : FXferCount));
            break;
        default: return Fail(TWCC_CAPUNSUPPORTED);
    }
    if (!answer) return Fail(TWCC_LOWMEMORY);
    Cap.ConType = conType;
    Cap.hContainer = answer;
    return TWRC_SUCCESS;
}

// ---- Device options --------------------------------------------------------------------------

SANE_Int TSaneSourceManager::FindOption(const char* Name) const {
    if (!FDevice) return -1;
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(FDevice, i);
        if (!d) return -1;
        if (d->name && std::strcmp(d->name, Name) == 0 && SANE_OPTION_IS_ACTIVE(d->cap)) return i;
    }
}

std::string TSaneSourceManager::GetString(const char* Name) const {
    SANE_Int i = FindOption(Name);
    if (i < 0) return {};
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(FDevice, i);
    if (d->type != SANE_TYPE_STRING || d->size <= 0) return {};
    std::vector<char> buffer(size_t(d->size) + 1, 0);
    if (sane_control_option(FDevice, i, SANE_ACTION_GET_VALUE, buffer.data(), nullptr) != SANE_STATUS_GOOD) return {};
    return buffer.data();
}

double TSaneSourceManager::GetNumber(const char* Name) const {
    SANE_Int i = FindOption(Name);
    if (i < 0) return 0;
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(FDevice, i);
    if ((d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || d->size < SANE_Int(sizeof(SANE_Word))) return 0;
    std::vector<SANE_Word> value(size_t(d->size) / sizeof(SANE_Word), 0);
    if (sane_control_option(FDevice, i, SANE_ACTION_GET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD) return 0;
    return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(value[0]) : double(value[0]);
}

bool TSaneSourceManager::SetString(const char* Name, const std::string& Value) {
    SANE_Int i = FindOption(Name);
    if (i < 0) return false;
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(FDevice, i);
    if (d->type != SANE_TYPE_STRING || Value.size() + 1 > size_t(std::max(d->size, 0))) return false;
    std::vector<char> buffer(size_t(d->size), 0);
    std::memcpy(buffer.data(), Value.data(), Value.size());
    return sane_control_option(FDevice, i, SANE_ACTION_SET_VALUE, buffer.data(), nullptr) == SANE_STATUS_GOOD;
}

bool TSaneSourceManager::SetNumber(const char* Name, double Value) {
    SANE_Int i = FindOption(Name);
    if (i < 0) return false;
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(FDevice, i);
    if (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) return false;
    SANE_Word w = d->type == SANE_TYPE_FIXED ? SANE_FIX(Value) : SANE_Word(std::lround(Value));
    return sane_control_option(FDevice, i, SANE_ACTION_SET_VALUE, &w, nullptr) == SANE_STATUS_GOOD;
}

std::vector<std::string> TSaneSourceManager::StringChoices(const char* Name) const {
    std::vector<std::string> v;
    SANE_Int i = FindOption(Name);
    if (i < 0) return v;
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(FDevice, i);
    if (d->constraint_type == SANE_CONSTRAINT_STRING_LIST && d->constraint.string_list)
        for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s) v.emplace_back(*s);
    return v;
}

std::vector<Integer> TSaneSourceManager::ResolutionChoices() const {
    std::vector<Integer> v;
    SANE_Int i = FindOption("resolution");
    if (i < 0) return v;
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(FDevice, i);
    auto number = [d](SANE_Word w) { return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : double(w); };
    if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list) {
        for (SANE_Int k = 1; k <= d->constraint.word_list[0]; ++k)
            v.push_back(Integer(std::lround(number(d->constraint.word_list[k]))));
    } else if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range) {
        double lo = number(d->constraint.range->min), hi = number(d->constraint.range->max);
        for (Integer r : {25, 50, 75, 100, 150, 200, 300, 600, 1200, 2400})
            if (r >= lo && r <= hi) v.push_back(r);
    }
    Integer current = Integer(std::lround(GetNumber("resolution")));
    if (current > 0 && std::find(v.begin(), v.end(), current) == v.end()) {
        v.push_back(current);
        std::sort(v.begin(), v.end());
    }
    return v;
}

bool TSaneSourceManager::FeederSelected() const {
    std::string source = LowerCase(GetString("source"));
    return source.find("feeder") != std::string::npos || source.find("adf") != std::string::npos;
}

std::vector<TW_UINT16> TSaneSourceManager::PixelTypes() const {
    bool bw = false, grey = false, colour = false;
    for (const std::string& mode : StringChoices("mode")) {
        if (IsLineartMode(mode)) bw = true;
        if (SameText(mode, "Gray") || SameText(mode, "Grey")) grey = true;
        if (SameText(mode, "Color") || SameText(mode, "Colour")) colour = true;
    }
    // A grey mode with 1-bit samples is lineart too.
    SANE_Int depth = FindOption("depth");
    if (grey && depth >= 0) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(FDevice, depth);
        if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list)
            for (SANE_Int k = 1; k <= d->constraint.word_list[0]; ++k) bw = bw || d->constraint.word_list[k] == 1;
    }
    std::vector<TW_UINT16> types;
    if (bw) types.push_back(TWPT_BW);
    if (grey) types.push_back(TWPT_GRAY);
    if (colour) types.push_back(TWPT_RGB);
    if (types.empty()) types.push_back(CurrentPixelType());
    return types;
}

TW_UINT16 TSaneSourceManager::CurrentPixelType() const {
    std::string mode = GetString("mode");
    if (SameText(mode, "Color") || SameText(mode, "Colour")) return TWPT_RGB;
    if (IsLineartMode(mode)) return TWPT_BW;
    return GetNumber("depth") == 1 ? TWPT_BW : TWPT_GRAY;
}

bool TSaneSourceManager::SetPixelType(TW_UINT16 Type) {
    std::vector<std::string> modes = StringChoices("mode");
    auto find = [&](auto Match) {
        auto it = std::find_if(modes.begin(), modes.end(), Match);
        return it == modes.end() ? std::string() : *it;
    };
    std::string grey = find([](const std::string& m) { return SameText(m, "Gray") || SameText(m, "Grey"); });
    std::string colour = find([](const std::string& m) { return SameText(m, "Color") || SameText(m, "Colour"); });
    std::string lineart = find(IsLineartMode);
    switch (Type) {
        case TWPT_BW:
            if (!lineart.empty()) return SetString("mode", lineart);
            return !grey.empty() && SetString("mode", grey) && SetNumber("depth", 1);
        case TWPT_GRAY:
            if (grey.empty() || !SetString("mode", grey)) return false;
            return FindOption("depth") < 0 || SetNumber("depth", 8);
        case TWPT_RGB:
            if (colour.empty() || !SetString("mode", colour)) return false;
            return FindOption("depth") < 0 || SetNumber("depth", 8);
        default: return false;
    }
}

TW_UINT16 TSaneSourceManager::CurrentBitDepth() const {
    switch (CurrentPixelType()) {
        case TWPT_BW: return 1;
        case TWPT_RGB: return 24;
        default: return 8;
    }
}

bool TSaneSourceManager::SetBitDepth(TW_UINT16 Bits) {
    return Bits == CurrentBitDepth();
}

// ---- The entry point -------------------------------------------------------------------------

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest,
                                                                      TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                                                      TW_MEMREF pData) {
    static TSaneSourceManager manager;
    return manager.Entry(pOrigin, pDest, DG, DAT, MSG, pData);
}
