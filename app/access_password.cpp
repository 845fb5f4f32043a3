#include "app/access_password.h"

#include <cstdint>

#include "framework/dialog_service.h"
#include "framework/sysutils.h"

Integer calcaccesspw(const std::string& Text) {
    const Integer length = static_cast<Integer>(Text.size());
    uint32_t sum = 0;  // wraps like the 32-bit signed sum it stands for
    for (Integer p = 1; p <= length; ++p)
        sum += static_cast<uint32_t>(static_cast<unsigned char>(Text[static_cast<size_t>(p - 1)])) *
               static_cast<uint32_t>(p + 2);
    const Integer remainder = static_cast<int32_t>(sum) % 10000000;
    Integer hash = 0;
    if (!TryStrToInt(IntToStr(length) + IntToStr(remainder) + "9", hash)) return 0;
    return hash;
}

bool checkaccesspw(const std::string& Text, Integer StoredHash) {
    return calcaccesspw(Text) == StoredHash;
}

std::string showpassworddialog() {
    // The prompt form with its masked edit takes this place; the question and its answers are
    // the same.
    std::string answer;
    if (!InputQuery("Password Dialog", "Please enter your password:", answer)) return {};
    return answer;
}
