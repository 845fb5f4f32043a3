#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sys/stat.h>

#include "framework/stream.h"
#include "framework/tests/scratch_folder.h"

namespace {

std::vector<Byte> Bytes(size_t n) {
    std::vector<Byte> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<Byte>(i * 7 + 1);
    return v;
}

// Serves its data at most three bytes per Read, as pipes and decoders may.
class TTrickleStream : public TStream {
    LUMORA_CLASS(TTrickleStream, TStream)
public:
    explicit TTrickleStream(std::vector<Byte> data) : data_(std::move(data)) {}
    Int64 Read(void* Buffer, Int64 Count) override {
        Int64 n = std::min<Int64>({Count, 3, Int64(data_.size()) - pos_});
        if (n <= 0) return 0;
        std::memcpy(Buffer, data_.data() + pos_, static_cast<size_t>(n));
        pos_ += n;
        return n;
    }
    Int64 Write(const void*, Int64 Count) override { return std::min<Int64>(Count, 2); }
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override {
        pos_ = Origin == soBeginning ? Offset : Origin == soCurrent ? pos_ + Offset : Int64(data_.size()) + Offset;
        return pos_;
    }

private:
    std::vector<Byte> data_;
    Int64 pos_ = 0;
};

// Reads a block it does not own and refuses to write.
class TReadOnlyMemory : public TCustomMemoryStream {
    LUMORA_CLASS(TReadOnlyMemory, TCustomMemoryStream)
public:
    TReadOnlyMemory(void* p, Int64 size) { SetPointer(p, size); }
    Int64 Write(const void*, Int64) override { return 0; }
};

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return std::string(e.ClassName()) + ": " + e.Message;
    }
    return "(no error)";
}

class FileStreamTest : public ScratchFolderTest {};

}  // namespace

TEST(MemoryStream, SeekFromEveryOriginAndShortReads) {
    TMemoryStream s;
    auto data = Bytes(10);
    s.WriteBuffer(data.data(), 10);
    EXPECT_EQ(s.GetPosition(), 10);
    EXPECT_EQ(s.GetSize(), 10);
    EXPECT_EQ(s.Seek(-3, soEnd), 7);
    EXPECT_EQ(s.Seek(2, soFromCurrent), 9);
    EXPECT_EQ(s.Seek(4, soFromBeginning), 4);
    std::array<Byte, 16> buf{};
    EXPECT_EQ(s.Read(buf.data(), 3), 3);
    EXPECT_EQ(buf[0], data[4]);
    EXPECT_EQ(buf[2], data[6]);
    s.SetPosition(8);
    EXPECT_EQ(s.Read(buf.data(), 100), 2);  // short at the end
    EXPECT_EQ(s.Read(buf.data(), 100), 0);
    s.SetPosition(8);
    EXPECT_EQ(ErrorOf([&] { s.ReadBuffer(buf.data(), 3); }), "EReadError: Stream read error");

    // Writing past the end grows the stream and zero-fills the gap.
    EXPECT_EQ(s.Seek(5, soEnd), 15);
    EXPECT_EQ(s.Read(buf.data(), 1), 0);
    Byte x = 0xAB;
    s.WriteBuffer(&x, 1);
    EXPECT_EQ(s.GetSize(), 16);
    auto mem = static_cast<const Byte*>(s.GetMemory());
    EXPECT_EQ(mem[12], 0);
    EXPECT_EQ(mem[15], 0xAB);

    s.SetSize(4);
    EXPECT_EQ(s.GetPosition(), 4);
    s.SetSize(8);
    EXPECT_EQ(static_cast<const Byte*>(s.GetMemory())[6], 0);
    s.Clear();
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(s.GetPosition(), 0);
}

TEST(MemoryStream, ReadBufferCollectsShortReadsAndRaisesWhenDataEnds) {
    auto data = Bytes(20);
    TTrickleStream t(data);
    std::vector<Byte> got(10);
    t.ReadBuffer(got.data(), 10);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), data.begin()));
    got.resize(30);
    EXPECT_THROW(t.ReadBuffer(got.data(), 30), EReadError);
    t.WriteBuffer(got.data(), 7);  // two bytes at a time
    TReadOnlyMemory ro(got.data(), 4);
    EXPECT_EQ(ErrorOf([&] { ro.WriteBuffer(got.data(), 1); }), "EWriteError: Stream write error");
    ro.WriteBuffer(got.data(), 0);
}

TEST(MemoryStream, CopyFromZeroCopiesTheWholeSource) {
    auto data = Bytes(200000);  // more than one copy buffer
    TMemoryStream src, dst;
    src.WriteBuffer(data.data(), Int64(data.size()));
    src.SetPosition(50);
    EXPECT_EQ(dst.CopyFrom(&src, 0), Int64(data.size()));
    EXPECT_EQ(src.GetPosition(), Int64(data.size()));
    ASSERT_EQ(dst.GetSize(), Int64(data.size()));
    EXPECT_EQ(std::memcmp(dst.GetMemory(), data.data(), data.size()), 0);

    TMemoryStream part;
    src.SetPosition(20);
    EXPECT_EQ(part.CopyFrom(&src, 10), 10);
    EXPECT_EQ(std::memcmp(part.GetMemory(), data.data() + 20, 10), 0);
    src.Seek(-5, soEnd);
    EXPECT_THROW(part.CopyFrom(&src, 10), EReadError);

    // A source that serves short reads is copied whole.
    TTrickleStream trickle(Bytes(1000));
    TMemoryStream fromTrickle;
    EXPECT_EQ(fromTrickle.CopyFrom(&trickle, 0), 1000);
    EXPECT_EQ(std::memcmp(fromTrickle.GetMemory(), Bytes(1000).data(), 1000), 0);
}

TEST(MemoryStream, GrowingPastWhatMemoryHoldsRaisesOutOfMemoryAndKeepsTheData) {
    TMemoryStream s;
    const Byte data[4] = {1, 2, 3, 4};
    s.WriteBuffer(data, 4);
    const std::string oom = "EOutOfMemory: Out of memory while expanding memory stream";
    EXPECT_EQ(ErrorOf([&] { s.SetSize(Int64(1) << 50); }), oom);
    s.SetPosition(INT64_MAX - 2);  // position + count would pass the largest Int64
    EXPECT_EQ(ErrorOf([&] { s.Write(data, 4); }), oom);
    s.SetPosition(Int64(1) << 50);
    EXPECT_EQ(ErrorOf([&] { s.Write(data, 4); }), oom);
    ASSERT_EQ(s.GetSize(), 4);
    EXPECT_EQ(std::memcmp(s.GetMemory(), data, 4), 0);
}

TEST(MemoryStream, ForeignMemoryIsReadInPlace) {
    std::array<Byte, 6> block = {1, 2, 3, 4, 5, 6};
    TReadOnlyMemory ro(block.data(), Int64(block.size()));
    EXPECT_EQ(ro.GetSize(), 6);
    EXPECT_EQ(ro.GetMemory(), block.data());
    EXPECT_EQ(ro.Seek(-2, soEnd), 4);
    Byte b[4] = {};
    EXPECT_EQ(ro.Read(b, 4), 2);
    EXPECT_EQ(b[1], 6);
    EXPECT_EQ(ro.Seek(-10, soBeginning), -10);
    EXPECT_EQ(ro.Read(b, 1), 0);
    TMemoryStream copy;
    ro.SaveToStream(&copy);
    EXPECT_EQ(copy.GetSize(), 6);
    EXPECT_EQ(std::memcmp(copy.GetMemory(), block.data(), 6), 0);
}

TEST_F(FileStreamTest, CreateOpenReadWrite) {
    const std::string name = dir_ + "data.bin";
    auto data = Bytes(1000);
    {
        TFileStream f(name, fmCreate | fmShareExclusive);
        f.WriteBuffer(data.data(), 1000);
        EXPECT_EQ(f.GetSize(), 1000);
        EXPECT_EQ(f.GetFileName(), name);
    }
    {
        TFileStream f(name, fmOpenRead | fmShareDenyWrite);
        EXPECT_EQ(f.Seek(-10, soEnd), 990);
        std::vector<Byte> tail(20);
        EXPECT_EQ(f.Read(tail.data(), 20), 10);
        EXPECT_EQ(tail[9], data[999]);
        EXPECT_THROW(f.WriteBuffer(data.data(), 1), EWriteError);
    }
    {
        TFileStream f(name, fmOpenReadWrite);
        f.SetPosition(500);
        Byte x = 0;
        f.WriteBuffer(&x, 1);
        f.SetSize(600);
        EXPECT_EQ(f.GetSize(), 600);
    }
    TMemoryStream m;
    m.LoadFromFile(name);
    ASSERT_EQ(m.GetSize(), 600);
    EXPECT_EQ(static_cast<const Byte*>(m.GetMemory())[500], 0);
    EXPECT_EQ(static_cast<const Byte*>(m.GetMemory())[501], data[501]);
    m.SaveToFile(dir_ + "copy.bin");
    EXPECT_EQ(FileSize(dir_ + "copy.bin"), 600);
    {
        TFileStream created(name, fmCreate);  // truncates
        EXPECT_EQ(created.GetSize(), 0);
    }
}

TEST_F(FileStreamTest, OpenAndCreateErrorsNameTheFileAndTheReason) {
    const std::string missing = dir_ + "missing.bin";
    EXPECT_EQ(ErrorOf([&] { TFileStream f(missing, fmOpenRead); }),
              "EFOpenError: Cannot open file \"" + missing + "\". No such file or directory");
    EXPECT_EQ(ErrorOf([&] { TFileStream f(dir_ + "no/dir.bin", fmCreate); }),
              "EFCreateError: Cannot create file \"" + dir_ + "no/dir.bin\". No such file or directory");
    EXPECT_EQ(ErrorOf([&] { TFileStream f(dir_, fmOpenRead); }),
              "EFOpenError: Cannot open file \"" + dir_ + "\". Is a directory");
    EXPECT_THROW(TFileStream(dir_, fmCreate), EFCreateError);
    EXPECT_THROW(TMemoryStream().LoadFromFile(missing), EFOpenError);
}

TEST_F(FileStreamTest, PositionsAndSizesPastFourGibibytes) {
    const std::string name = dir_ + "big.bin";
    const Int64 five = Int64(5) << 30;
    TFileStream f(name, fmCreate);
    f.SetSize(five);  // sparse
    EXPECT_EQ(f.GetSize(), five);
    EXPECT_EQ(f.Seek(-1, soEnd), five - 1);
    const Byte tag[3] = {7, 8, 9};
    f.SetPosition(five - 3);
    f.WriteBuffer(tag, 3);
    EXPECT_EQ(f.GetPosition(), five);
    f.Seek(-3, soFromCurrent);
    Byte back[3] = {};
    f.ReadBuffer(back, 3);
    EXPECT_EQ(back[2], 9);
    EXPECT_EQ(FileSize(name), five);
}
