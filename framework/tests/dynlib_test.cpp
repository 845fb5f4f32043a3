#include <gtest/gtest.h>

#include <cstring>

#include "framework/dynlib.h"

TEST(DynamicLibraries, BareNamesAreFoundInTheProgramFolderFirst) {
    // The fixture library lies beside the test program only, where the system never looks.
    HMODULE lib = LoadLibrary("DynlibFixture.so");
    ASSERT_NE(lib, nullptr) << LastLibraryError();
    auto answer = reinterpret_cast<int (*)()>(GetProcAddress(lib, "fixture_answer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(lib, "no_such_function"), nullptr);
    EXPECT_NE(LastLibraryError(), "");
    EXPECT_TRUE(FreeLibrary(lib));

    HMODULE byPath = LoadLibrary(ProgramFolder() + "DynlibFixture.so");
    EXPECT_NE(byPath, nullptr);
    FreeLibrary(byPath);

    // System libraries are still found by their bare names.
    HMODULE libm = LoadLibrary("libm.so.6");
    ASSERT_NE(libm, nullptr);
    auto cosine = reinterpret_cast<double (*)(double)>(GetProcAddress(libm, "cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_EQ(cosine(0.0), 1.0);
    FreeLibrary(libm);
}

TEST(DynamicLibraries, FailuresAnswerNull) {
    EXPECT_EQ(LoadLibrary("NoSuchLibrary.so"), nullptr);
    EXPECT_NE(LastLibraryError(), "");
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "cos"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(GlobalMemory, MoveableAndFixedBlocks) {
    HGLOBAL h = GlobalAlloc(GHND, 100);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 100u);
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_NE(static_cast<void*>(p), h);  // moveable: the handle is not the address
    for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0) << i;
    std::memset(p, 7, 100);
    EXPECT_EQ(GlobalLock(h), p);  // a second lock
    EXPECT_EQ(GlobalHandle(p), h);
    EXPECT_TRUE(GlobalUnlock(h));  // still locked once
    EXPECT_FALSE(GlobalUnlock(h));

    HGLOBAL grown = GlobalReAlloc(h, 200, GMEM_ZEROINIT);
    EXPECT_EQ(grown, h);  // moveable blocks keep their handle
    EXPECT_EQ(GlobalSize(h), 200u);
    p = static_cast<unsigned char*>(GlobalLock(h));
    EXPECT_EQ(p[99], 7);
    EXPECT_EQ(p[100], 0);
    EXPECT_EQ(GlobalReAlloc(h, 400, 0), nullptr);  // locked: may not move
    EXPECT_NE(GlobalReAlloc(h, 400, GMEM_MOVEABLE), nullptr);
    GlobalUnlock(h);
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalFree(h), h);  // no longer a block
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalSize(h), 0u);

    HGLOBAL f = GlobalAlloc(GPTR, 16);
    EXPECT_EQ(GlobalLock(f), f);  // fixed: the handle is the address
    EXPECT_FALSE(GlobalUnlock(f));
    EXPECT_EQ(static_cast<unsigned char*>(f)[15], 0);
    EXPECT_EQ(GlobalFree(f), nullptr);

    HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
    EXPECT_NE(empty, nullptr);
    EXPECT_EQ(GlobalSize(empty), 0u);
    GlobalFree(empty);
}

TEST(TickCount, WrapsAtThirtyTwoBitsAndHasASeam) {
    SetTickCountForTesting([] { return (UInt64(1) << 32) + 5; });
    EXPECT_EQ(GetTickCount(), 5u);
    EXPECT_EQ(GetTickCount64(), (UInt64(1) << 32) + 5);
    SetTickCountForTesting(nullptr);
    DWORD before = GetTickCount();
    Sleep(20);
    EXPECT_GE(GetTickCount() - before, 20u);
}
