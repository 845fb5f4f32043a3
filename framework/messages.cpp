#include "framework/messages.h"

#include <array>
#include <chrono>

const HWND HWND_TOP = nullptr;
const HWND HWND_BOTTOM = reinterpret_cast<HWND>(uintptr_t(1));
const HWND HWND_TOPMOST = reinterpret_cast<HWND>(~uintptr_t(0));
const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(~uintptr_t(1));

namespace {

struct InputState {
    std::array<uint8_t, 256> keys{};  // bit 0x80 down, bit 0x01 toggled
    DWORD messageTime = 0;
    TPoint messagePos;
};

InputState& State() {
    static InputState s;
    return s;
}

}  // namespace

SmallInt GetKeyState(Integer vk) {
    if (vk < 0 || vk > 255) return 0;
    uint8_t k = State().keys[size_t(vk)];
    SmallInt r = (k & 0x01) ? 1 : 0;
    if (k & 0x80) r = SmallInt(r | SmallInt(0x8000));
    return r;
}

SmallInt GetAsyncKeyState(Integer vk) {
    return SmallInt(GetKeyState(vk) & SmallInt(0x8000));
}

DWORD GetMessageTime() { return State().messageTime; }
TPoint GetMessagePos() { return State().messagePos; }

DWORD GetTickCountInput() {
    using namespace std::chrono;
    return DWORD(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace lumora_detail {

void SetKeyDown(Word vk, bool down) {
    auto set = [down](Word k) {
        uint8_t& s = State().keys[k & 0xFF];
        if (down) {
            if (!(s & 0x80)) s ^= 0x01;
            s |= 0x80;
        } else {
            s &= uint8_t(~0x80);
        }
    };
    set(vk);
    // The generic shift, control and alt keys follow their left and right variants.
    switch (vk) {
    case VK_LSHIFT: case VK_RSHIFT: set(VK_SHIFT); break;
    case VK_LCONTROL: case VK_RCONTROL: set(VK_CONTROL); break;
    case VK_LMENU: case VK_RMENU: set(VK_MENU); break;
    default: break;
    }
}

void SetMessageTimeAndPos(DWORD time, TPoint screenPos) {
    State().messageTime = time;
    State().messagePos = screenPos;
}

void ResetInputState() { State() = InputState{}; }

}  // namespace lumora_detail

TShiftState KeysToShiftState(WPARAM keys) {
    TShiftState s;
    if (keys & MK_SHIFT) s.Include(ssShift);
    if (keys & MK_CONTROL) s.Include(ssCtrl);
    if (keys & MK_LBUTTON) s.Include(ssLeft);
    if (keys & MK_RBUTTON) s.Include(ssRight);
    if (keys & MK_MBUTTON) s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (keyData & KF_ALTDOWN) s.Include(ssAlt);
    return s;
}

WPARAM ShiftStateToKeys(TShiftState shift) {
    WPARAM k = 0;
    if (shift.Contains(ssShift)) k |= MK_SHIFT;
    if (shift.Contains(ssCtrl)) k |= MK_CONTROL;
    if (shift.Contains(ssLeft)) k |= MK_LBUTTON;
    if (shift.Contains(ssRight)) k |= MK_RBUTTON;
    if (shift.Contains(ssMiddle)) k |= MK_MBUTTON;
    return k;
}

TShortCut ShortCut(Word Key, TShiftState Shift) {
    if (Key & 0xFF00) return scNone;
    TShortCut r = Key;
    if (Shift.Contains(ssShift)) r |= scShift;
    if (Shift.Contains(ssCtrl)) r |= scCtrl;
    if (Shift.Contains(ssAlt)) r |= scAlt;
    return r;
}

void ShortCutToKey(TShortCut sc, Word& Key, TShiftState& Shift) {
    Key = sc & 0x00FF;
    Shift = {};
    if (sc & scShift) Shift.Include(ssShift);
    if (sc & scCtrl) Shift.Include(ssCtrl);
    if (sc & scAlt) Shift.Include(ssAlt);
}

std::string CharToUtf8(Char c) {
    std::string out;
    uint32_t cp = uint32_t(c);
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
    return out;
}
