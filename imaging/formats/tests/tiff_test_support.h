#pragma once
// Helpers of the fax and TIFF tests: a small TIFF parser (either byte order) that gives the tags
// of each directory and the strips of a page, a one-strip TIFF builder for raw or coded data, and
// running libtiff's tools (libtiff-tools, listed in scripts/packages/formats-tiff.txt) on files.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/types.h"
#include "imaging/formats/tests/reference_tools.h"

namespace tifftest {

using Bytes = std::vector<Byte>;

// One directory: every tag's values as numbers (RATIONALs as numerator, denominator pairs, ASCII
// as the bytes), the tags in the order the file holds them, and the offset of each entry's value
// when it is not inside the entry.
struct TDirectory {
    std::map<int, std::vector<uint64_t>> Values;
    std::map<int, int> Types;
    std::map<int, uint32_t> ValueOffsets;
    std::vector<int> Order;
    uint32_t Offset = 0;
    uint32_t Next = 0;

    uint64_t Get(int Tag, uint64_t Default = 0, size_t Index = 0) const {
        auto it = Values.find(Tag);
        return it != Values.end() && Index < it->second.size() ? it->second[Index] : Default;
    }
    bool Has(int Tag) const { return Values.count(Tag) != 0; }
    std::string Text(int Tag) const {
        std::string s;
        auto it = Values.find(Tag);
        if (it != Values.end())
            for (uint64_t c : it->second)
                if (c) s += char(c);
        return s;
    }
};

struct TFile {
    bool BigEndian = false;
    std::vector<TDirectory> Pages;
};

inline uint32_t Load(const Bytes& B, size_t At, int Size, bool BigEndian) {
    uint32_t v = 0;
    for (int i = 0; i < Size; ++i) {
        const Byte b = At + size_t(i) < B.size() ? B[At + size_t(i)] : 0;
        v = BigEndian ? (v << 8) | b : v | (uint32_t(b) << (8 * i));
    }
    return v;
}

// Parses every directory (at most 100, stopping at a repeated offset).
inline TFile Parse(const Bytes& B) {
    TFile f;
    if (B.size() < 8 || (B[0] != 'I' && B[0] != 'M')) return f;
    f.BigEndian = B[0] == 'M';
    const bool be = f.BigEndian;
    uint32_t ifd = Load(B, 4, 4, be);
    while (ifd != 0 && ifd + 2 <= B.size() && f.Pages.size() < 100) {
        TDirectory d;
        d.Offset = ifd;
        const uint32_t n = Load(B, ifd, 2, be);
        for (uint32_t i = 0; i < n; ++i) {
            const size_t e = ifd + 2 + size_t(i) * 12;
            const int tag = int(Load(B, e, 2, be)), type = int(Load(B, e + 2, 2, be));
            const uint32_t count = Load(B, e + 4, 4, be);
            const int size = type == 3 || type == 8 ? 2 : (type == 4 || type == 9 ? 4 : (type == 5 ? 8 : 1));
            const bool inside = uint64_t(size) * count <= 4;
            const size_t at = inside ? e + 8 : Load(B, e + 8, 4, be);
            if (!inside) d.ValueOffsets[tag] = uint32_t(at);
            std::vector<uint64_t> values;
            for (uint32_t k = 0; k < count && k < 1000000; ++k) {
                if (type == 5) {
                    values.push_back(Load(B, at + k * 8, 4, be));
                    values.push_back(Load(B, at + k * 8 + 4, 4, be));
                } else {
                    values.push_back(Load(B, at + size_t(k) * size_t(size), size, be));
                }
            }
            d.Values[tag] = values;
            d.Types[tag] = type;
            d.Order.push_back(tag);
        }
        d.Next = Load(B, ifd + 2 + size_t(n) * 12, 4, be);
        for (const TDirectory& p : f.Pages)
            if (p.Offset == d.Next) d.Next = 0;
        ifd = d.Next;
        f.Pages.push_back(d);
    }
    return f;
}

// The strips of a page, in order.
inline std::vector<Bytes> Strips(const Bytes& B, const TDirectory& D) {
    std::vector<Bytes> strips;
    auto offsets = D.Values.find(273), counts = D.Values.find(279);
    if (offsets == D.Values.end() || counts == D.Values.end()) return strips;
    for (size_t i = 0; i < offsets->second.size() && i < counts->second.size(); ++i) {
        const size_t at = size_t(offsets->second[i]), n = size_t(counts->second[i]);
        if (at + n > B.size()) return {};
        strips.emplace_back(B.begin() + long(at), B.begin() + long(at + n));
    }
    return strips;
}

// A little-endian one-strip TIFF of 1 bit a sample: the strip's data as given with the compression,
// photometric, fill order and T4Options tags.
inline Bytes OneStripBilevel(int Width, int Height, const Bytes& Strip, int Compression, int Photometric = 0,
                             int FillOrder = 1, int T4Options = -1) {
    struct TEntry {
        int Tag, Type;
        uint32_t Value;
    };
    std::vector<TEntry> entries = {{256, 4, uint32_t(Width)}, {257, 4, uint32_t(Height)}, {258, 3, 1},
                                   {259, 3, uint32_t(Compression)}, {262, 3, uint32_t(Photometric)},
                                   {266, 3, uint32_t(FillOrder)}, {273, 4, 0}, {277, 3, 1},
                                   {278, 4, uint32_t(Height)}, {279, 4, uint32_t(Strip.size())}};
    if (T4Options >= 0) entries.push_back({292, 4, uint32_t(T4Options)});
    Bytes t = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto le = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) t.push_back(Byte(v >> (8 * i)));
    };
    const uint32_t stripAt = uint32_t(8 + 2 + entries.size() * 12 + 4);
    le(uint32_t(entries.size()), 2);
    for (const TEntry& e : entries) {
        le(uint32_t(e.Tag), 2);
        le(uint32_t(e.Type), 2);
        le(1, 4);
        le(e.Tag == 273 ? stripAt : e.Value, e.Type == 3 ? 2 : 4);
        if (e.Type == 3) le(0, 2);
    }
    le(0, 4);
    t.insert(t.end(), Strip.begin(), Strip.end());
    return t;
}

// A TIFF built entry by entry, in either byte order: the header, the pixel data (at offset 8),
// the values that do not fit into their entries, then the directory with the entries as added.
struct TTiffBuilder {
    bool BigEndian = false;
    Bytes Pixels;
    struct TEntry {
        int Tag, Type;
        uint32_t Count;
        Bytes Data;  // in file order
    };
    std::vector<TEntry> Entries;

    void Put(Bytes& B, uint32_t V, int Size) const {
        for (int i = 0; i < Size; ++i) B.push_back(Byte(BigEndian ? V >> (8 * (Size - 1 - i)) : V >> (8 * i)));
    }
    TTiffBuilder& Numbers(int Tag, int Type, const std::vector<uint32_t>& Values) {
        Bytes d;
        for (uint32_t v : Values) Put(d, v, Type == 3 ? 2 : (Type == 4 ? 4 : 1));
        Entries.push_back({Tag, Type, uint32_t(Values.size()), d});
        return *this;
    }
    TTiffBuilder& Short(int Tag, std::vector<uint32_t> Values) { return Numbers(Tag, 3, Values); }
    TTiffBuilder& Long(int Tag, std::vector<uint32_t> Values) { return Numbers(Tag, 4, Values); }
    TTiffBuilder& Rational(int Tag, uint32_t Num, uint32_t Den) {
        Bytes d;
        Put(d, Num, 4);
        Put(d, Den, 4);
        Entries.push_back({Tag, 5, 1, d});
        return *this;
    }
    TTiffBuilder& Ascii(int Tag, const std::string& Text) {
        Bytes d(Text.begin(), Text.end());
        d.push_back(0);
        Entries.push_back({Tag, 2, uint32_t(d.size()), d});
        return *this;
    }
    // The common entries of a one-strip image of the pixels: width, length, bits, samples,
    // compression, photometric, strip offset, rows per strip and byte count.
    TTiffBuilder& Image(int Width, int Height, std::vector<uint32_t> Bits, int Compression, int Photometric) {
        Long(256, {uint32_t(Width)}).Long(257, {uint32_t(Height)}).Short(258, Bits);
        Short(259, {uint32_t(Compression)}).Short(262, {uint32_t(Photometric)}).Long(273, {8});
        Short(277, {uint32_t(Bits.size())}).Long(278, {uint32_t(Height)}).Long(279, {uint32_t(Pixels.size())});
        return *this;
    }
    Bytes Build() const {
        Bytes b = {Byte(BigEndian ? 'M' : 'I'), Byte(BigEndian ? 'M' : 'I')};
        Put(b, 42, 2);
        Put(b, 0, 4);
        b.insert(b.end(), Pixels.begin(), Pixels.end());
        std::vector<uint32_t> at(Entries.size(), 0);
        for (size_t i = 0; i < Entries.size(); ++i)
            if (Entries[i].Data.size() > 4) {
                if (b.size() & 1) b.push_back(0);
                at[i] = uint32_t(b.size());
                b.insert(b.end(), Entries[i].Data.begin(), Entries[i].Data.end());
            }
        if (b.size() & 1) b.push_back(0);
        const uint32_t ifd = uint32_t(b.size());
        Bytes head;
        Put(head, ifd, 4);
        std::copy(head.begin(), head.end(), b.begin() + 4);
        Put(b, uint32_t(Entries.size()), 2);
        for (size_t i = 0; i < Entries.size(); ++i) {
            const TEntry& e = Entries[i];
            Put(b, uint32_t(e.Tag), 2);
            Put(b, uint32_t(e.Type), 2);
            Put(b, e.Count, 4);
            Bytes v = e.Data.size() > 4 ? Bytes() : e.Data;
            if (e.Data.size() > 4) Put(v, at[i], 4);
            v.resize(4, 0);
            b.insert(b.end(), v.begin(), v.end());
        }
        Put(b, 0, 4);
        return b;
    }
};

inline bool HaveLibtiffTools() {
    return oracle::HaveTool("tiffcp") && oracle::HaveTool("tiffinfo") && oracle::HaveTool("tiffcmp");
}

// Runs a command; its exit status and what it wrote to standard output and standard error.
using reftools::TToolRun;
inline TToolRun RunTool(const std::string& Command) { return reftools::RunTool(Command + " 2>&1"); }

}  // namespace tifftest
