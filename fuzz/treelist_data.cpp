// The tree list's node stream reader on arbitrary input. What it reads in full it writes back
// byte for byte (apart from larger record headers, which are written as 24); a stream it refuses
// raises EReadError and leaves the nodes read so far.

#include <cstdint>
#include <vector>

#include "framework/exceptions.h"
#include "framework/stream.h"
#include "fuzz/fuzz_check.h"
#include "treelist/plain_tree_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto* list = new TgxTreeList(nullptr);
    TMemoryStream in;
    if (size) in.WriteBuffer(data, Int64(size));
    in.SetPosition(0);
    bool whole = true;
    try {
        list->ReadData(&in);
    } catch (const EReadError&) {
        whole = false;
    }
    // Whatever was read is a tree that writes and reads back the same.
    TMemoryStream out;
    list->WriteData(&out);
    auto* copy = new TgxTreeList(nullptr);
    out.SetPosition(0);
    copy->ReadData(&out);
    TMemoryStream again;
    copy->WriteData(&again);
    FUZZ_CHECK(again.GetSize() == out.GetSize());
    FUZZ_CHECK(
        std::vector<Byte>(static_cast<Byte*>(out.GetMemory()), static_cast<Byte*>(out.GetMemory()) + out.GetSize()) ==
        std::vector<Byte>(static_cast<Byte*>(again.GetMemory()),
                          static_cast<Byte*>(again.GetMemory()) + again.GetSize()));
    FUZZ_CHECK(!whole || out.GetSize() <= Int64(size) || size < 4);
    copy->Free();
    list->Free();
    return 0;
}
