#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

#include "imaging/img_lists.h"
#include "imaging/img_utils.h"

TEST(IeContainers, RecordListAddDeleteAssign) {
    struct Item {
        Integer a, b, c, d;
    };
    TImgRecordList list(16);
    EXPECT_EQ(list.GetData(), nullptr);
    Item first{1, 2, 3, 4};
    EXPECT_EQ(list.AddRecord(&first), 0);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_TRUE(list.GetChanged());
    for (Integer i = 1; i < 3; ++i) {
        Item it{i * 10, 0, 0, 0};
        list.AddRecord(&it);
    }

    list.SetChanged(false);
    list.Delete(5);  // outside the list
    list.Delete(-1);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_FALSE(list.GetChanged());

    list.Delete(1);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_TRUE(list.GetChanged());
    EXPECT_EQ(static_cast<Item*>(list.GetRecord(0))->d, 4);
    EXPECT_EQ(static_cast<Item*>(list.GetRecord(1))->a, 20);

    TImgRecordList copy(4);
    copy.Assign(&list);
    EXPECT_EQ(copy.GetItemSize(), 16);
    ASSERT_EQ(copy.GetCount(), 2);
    EXPECT_EQ(std::memcmp(copy.GetData(), list.GetData(), 32), 0);
    EXPECT_NE(copy.GetData(), list.GetData());

    // Shrinking keeps the first items; Clear keeps the item size.
    list.SetCount(1);
    EXPECT_EQ(static_cast<Item*>(list.GetRecord(0))->c, 3);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetData(), nullptr);
    EXPECT_FALSE(list.GetChanged());
    EXPECT_EQ(list.GetItemSize(), 16);
}

TEST(IeContainers, ValueListsCarryTheirRanges) {
    TImgIntegerList ints;
    EXPECT_EQ(ints.GetItemSize(), 4);
    ints.Add(7);
    ints.Add(-3);
    ints.RangeMin = 1;
    ints.RangeMax = 9;
    ints.RangeStep = 2;
    ints.CurrentValue = 5;
    TImgIntegerList intCopy;
    intCopy.Assign(&ints);
    EXPECT_EQ(intCopy.GetValue(1), -3);
    EXPECT_EQ(intCopy.RangeMax, 9);
    EXPECT_EQ(intCopy.CurrentValue, 5);
    ints.Clear();
    EXPECT_EQ(ints.RangeMax, 0);
    EXPECT_EQ(ints.GetItemSize(), 4);

    TImgDoubleList doubles;
    EXPECT_EQ(doubles.GetItemSize(), 8);
    doubles.Add(0.25);
    doubles.RangeStep = 0.5;
    TImgDoubleList doubleCopy;
    doubleCopy.Assign(&doubles);
    EXPECT_EQ(doubleCopy.GetValue(0), 0.25);
    EXPECT_EQ(doubleCopy.RangeStep, 0.5);
}

TEST(IeContainers, Hash1ChainsCollidingKeys) {
    THash1 hash(4);
    EXPECT_EQ(hash.GetBucketCount(), 16);
    EXPECT_TRUE(hash.Insert(1));
    EXPECT_TRUE(hash.Insert(17));
    EXPECT_TRUE(hash.Insert(33));
    EXPECT_EQ(hash.GetCount(), 3);
    EXPECT_FALSE(hash.Insert(17));
    EXPECT_FALSE(hash.Insert(1));
    EXPECT_FALSE(hash.Insert(33));
    EXPECT_TRUE(hash.Insert(2));
    EXPECT_FALSE(hash.Insert(2));
    EXPECT_EQ(hash.GetCount(), 4);

    // Many keys per bucket: every distinct key counted once.
    THash1 small(2);
    int inserted = 0;
    for (Cardinal k = 0; k < 1000; ++k) inserted += small.Insert(k * 7 % 500);
    EXPECT_EQ(inserted, 500);
    EXPECT_EQ(small.GetCount(), 500);
}

TEST(IeContainers, ByteArrayGrowsAndShrinksByStep) {
    TImgByteArray a;
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(a.GetCapacity(), 4096);
    struct Step {
        Integer size, capacity;
    };
    const Step steps[] = {{5000, 9096}, {8000, 9096}, {6000, 9096}, {100, 4196},
                          {4196, 4196}, {4197, 8293}, {0, 4096}};
    a.SetSize(5000);
    for (int i = 0; i < 5000; ++i) a.GetData()[i] = Byte(i);
    for (const Step& s : steps) {
        a.SetSize(s.size);
        EXPECT_EQ(a.GetSize(), s.size);
        EXPECT_EQ(a.GetCapacity(), s.capacity) << "size " << s.size;
        if (s.size >= 100) {
            EXPECT_EQ(a.GetData()[99], 99);  // kept across reallocation
        }
    }
}

TEST(IeContainers, MaskAndBitFunctions) {
    struct MaskCase {
        Cardinal mask;
        Integer count, top;
    };
    const MaskCase masks[] = {
        {0x00FF0000, 8, 24}, {0x00010000, 1, 16}, {0, 0, -1},          {0x07E0, 6, 11},
        {0x7C00, 5, 15},     {0x001F, 5, 5},      {0xF800, 5, 16},     {0x80000000u, 1, 31},
        {0xFFFFFFFFu, 32, 32}, {0x0000F0F0, 4, 16}, {0xFF000000u, 8, 32}};
    for (const MaskCase& m : masks) {
        EXPECT_EQ(MaskBitCount(m.mask), m.count) << std::hex << m.mask;
        EXPECT_EQ(MaskTopBit(m.mask), m.top) << std::hex << m.mask;
    }

    EXPECT_EQ(ImgBitmapRowLen(3, 24), 12);
    EXPECT_EQ(ImgBitmapRowLen(10, 1), 4);
    EXPECT_EQ(ImgBitmapRowLen(33, 1), 8);
    EXPECT_EQ(ImgBitmapRowLen(5, 4), 4);
    EXPECT_EQ(ImgBitmapRowLen(0, 24), 0);

    Cardinal w = 0x00000001;
    ReverseBits32(w);
    EXPECT_EQ(w, 0x80000000u);
    w = 0x12345678;
    ReverseBits32(w);
    EXPECT_EQ(w, 0x1E6A2C48u);
    Byte b = 0x01;
    ReverseBits8(b);
    EXPECT_EQ(b, 0x80);
    b = 0xC5;
    ReverseBits8(b);
    EXPECT_EQ(b, 0xA3);

    EXPECT_EQ(ColorCountOfDepth(8, 3), 16777216);
    EXPECT_EQ(ColorCountOfDepth(4, 0), 16);
    EXPECT_EQ(ColorCountOfDepth(1, -1), 2);
    EXPECT_GT(ColorCountOfDepth(16, 4), 256);  // saturates instead of wrapping
}

TEST(IeContainers, FileSize) {
    const std::string name = ::testing::TempDir() + "img_size_test.bin";
    {
        std::ofstream f(name, std::ios::binary);
        f << std::string(1234, 'x');
    }
    EXPECT_EQ(ImgGetFileSize(name), 1234);
    std::remove(name.c_str());
    EXPECT_EQ(ImgGetFileSize(name), 0);
}

TEST(IeContainers, RectangleRelations) {
    EXPECT_TRUE(ImgPointInRect(10, 0, 0, 0, 10, 10));
    EXPECT_FALSE(ImgPointInRect(11, 0, 0, 0, 10, 10));
    EXPECT_TRUE(ImgRectsOverlap(10, 10, 0, 0, 5, 5, 20, 20));  // corners in any order
    EXPECT_FALSE(ImgRectsOverlap(0, 0, 4, 4, 5, 5, 20, 20));

    struct Relation {
        Integer bx1, by1, bx2, by2, expected;
    };
    // A is (0, 0)-(10, 10).
    const Relation relations[] = {
        {2, 2, 8, 8, 2},      // inside
        {0, 0, 10, 10, 2},    // same
        {5, 5, 20, 20, 1},    // one corner in
        {5, 2, 20, 8, 1},     // sticks out to the right
        {5, -5, 8, 20, 0},    // both x edges in, no y edge: a cross counts as apart
        {-5, 2, 20, 8, 0},
        {-5, -5, 20, 20, 0},  // encloses A
        {20, 20, 30, 30, 0},  // apart
    };
    for (const Relation& r : relations)
        EXPECT_EQ(ImgRectRelation(0, 0, 10, 10, r.bx1, r.by1, r.bx2, r.by2), r.expected)
            << r.bx1 << "," << r.by1 << "," << r.bx2 << "," << r.by2;
}

TEST(IeContainers, DistancesAndConstrainedLines) {
    EXPECT_DOUBLE_EQ(ImgPointSegmentDistance(0, 5, 0, 0, 10, 0), 5);
    EXPECT_DOUBLE_EQ(ImgPointSegmentDistance(15, 0, 0, 0, 10, 0), 5);
    EXPECT_DOUBLE_EQ(ImgPointSegmentDistance(-3, -4, 0, 0, 10, 0), 5);
    EXPECT_DOUBLE_EQ(ImgPointSegmentDistance(3, 4, 0, 0, 0, 0), 5);
    EXPECT_DOUBLE_EQ(ImgPointLineDistance(15, 3, 0, 0, 10, 0), 3);
    EXPECT_NEAR(ImgPointLineDistance(0, 2, 0, 0, 2, 2), std::sqrt(2.0), 1e-12);
    // Products beyond 32 bits stay exact.
    EXPECT_DOUBLE_EQ(ImgPointLineDistance(0, 100000, -100000, 0, 100000, 0), 100000);

    struct Constrain {
        Integer x, y, ex, ey;
    };
    const Constrain cases[] = {
        {100, 10, 100, 0},   {10, 100, 0, 100},   {50, 40, 50, 50},    {-50, -40, -40, -40},
        {40, 50, 50, 50},    {-40, -50, -40, -40}, {-50, 40, -50, 50},  {-40, 50, -50, 50},
        {50, -40, 50, -50},  {40, -50, 50, -50},  {0, 0, 0, 0},        {-20, 0, -20, 20},  {20, 0, 20, 0},
    };
    for (const Constrain& c : cases) {
        Integer x = c.x, y = c.y;
        ImgConstrainLine(0, 0, x, y);
        EXPECT_EQ(x, c.ex) << c.x << "," << c.y;
        EXPECT_EQ(y, c.ey) << c.x << "," << c.y;
    }
    Integer x = 150, y = 140;  // the anchor need not be the origin
    ImgConstrainLine(100, 100, x, y);
    EXPECT_EQ(x, 150);
    EXPECT_EQ(y, 150);
}

TEST(IeContainers, NulStreamMeasures) {
    TNulStream s;
    const char data[10] = {};
    EXPECT_EQ(s.Write(data, 10), 10);
    EXPECT_EQ(s.Seek(4, soFromBeginning), 4);
    s.WriteBuffer(data, 2);
    EXPECT_EQ(s.GetPosition(), 6);
    EXPECT_EQ(s.GetSize(), 10);
    // From the end the offset is subtracted; the size stays.
    EXPECT_EQ(s.Seek(3, soFromEnd), 7);
    EXPECT_EQ(s.GetSize(), 10);
    // Reading counts like writing and leaves the buffer alone; seeking past the end grows it.
    char buffer[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(s.Read(buffer, 4), 4);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_EQ(s.GetSize(), 11);
    EXPECT_EQ(s.Seek(5, soFromCurrent), 16);
    EXPECT_EQ(s.GetSize(), 16);
}

TEST(IeContainers, ByteArrayAppendsFromStream) {
    TMemoryStream stream;
    std::string text(5000, 'q');
    text[4999] = 'z';
    stream.WriteBuffer(text.data(), Int64(text.size()));
    stream.SetPosition(0);

    TImgByteArray a;
    EXPECT_EQ(a.AppendFromStream(&stream, 3000), 3000);
    EXPECT_EQ(a.AppendFromStream(&stream, 3000), 2000);  // the stream ends first
    EXPECT_EQ(a.GetSize(), 5000);
    EXPECT_EQ(a.GetData()[4999], 'z');
    EXPECT_EQ(a.GetCapacity(), 5000 + 4096);  // shrinking back by more than a step reallocates
    EXPECT_EQ(a.AppendFromStream(&stream, 10), 0);
    EXPECT_EQ(a.GetSize(), 5000);
}
