#pragma once
// Helpers for the AVI tests: a builder of AVI files chunk by chunk (independent of the library's
// writer), with the frame index as idx1 (offsets from the movie list or from the file's start),
// as OpenDML indexes, or none, and bitmap headers for the stream format.

#include <cstring>
#include <string>
#include <vector>

#include "framework/byte_order.h"
#include "framework/stream.h"
#include "imaging/formats/avi_file.h"
#include "imaging/img_types.h"

namespace avitest {

using TBytes = std::vector<Byte>;

inline void Put32(TBytes& v, Cardinal x) {
    Byte b[4];
    StoreLE32(b, x);
    v.insert(v.end(), b, b + 4);
}
inline void Put16(TBytes& v, Word x) {
    v.push_back(Byte(x));
    v.push_back(Byte(x >> 8));
}
inline void PutCode(TBytes& v, const char (&c)[5]) {
    Put32(v, AviFourCC(c));
}
inline void Patch32(TBytes& v, size_t at, Cardinal x) {
    StoreLE32(v.data() + at, x);
}

// A chunk: its code and a size filled in by End; Begin answers where the data starts.
inline size_t Begin(TBytes& v, const char (&code)[5]) {
    PutCode(v, code);
    Put32(v, 0);
    return v.size();
}
inline size_t BeginList(TBytes& v, const char (&code)[5], const char (&type)[5]) {
    const size_t data = Begin(v, code);
    PutCode(v, type);
    return data;
}
inline void End(TBytes& v, size_t data) {
    Patch32(v, data - 4, Cardinal(v.size() - data));
    if ((v.size() - data) & 1) v.push_back(0);
}

// A 40-byte bitmap header followed by the colour table given.
inline TBytes BitmapInfo(Integer w, Integer h, Integer bits, Cardinal compression,
                         const std::vector<TImgRGB>& palette = {}) {
    TBytes v;
    Put32(v, 40);
    Put32(v, Cardinal(w));
    Put32(v, Cardinal(h));
    Put16(v, 1);
    Put16(v, Word(bits));
    Put32(v, compression);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, Cardinal(palette.size()));
    Put32(v, 0);
    for (const TImgRGB& c : palette) {
        v.push_back(c.b);
        v.push_back(c.g);
        v.push_back(c.r);
        v.push_back(0);
    }
    return v;
}

enum class TIndex { Idx1, Idx1FromFileStart, None, NoneInRecLists, OpenDML };

struct TAvi {
    TBytes Format;
    Cardinal Handler = 0;
    Cardinal Scale = 1, Rate = 8;
    Integer Length = -1;  // -1: the number of frames
    std::vector<TBytes> Frames;
    std::vector<bool> NotKey;  // frames that are not key frames (by position)
    TIndex Index = TIndex::Idx1;
    bool AudioFirst = false;  // an audio stream before the video stream (which becomes 01)
};

inline TBytes Build(const TAvi& a) {
    const Integer w = a.Format.size() >= 12 ? Integer(LoadLE32(a.Format.data() + 4)) : 0;
    const Integer h = a.Format.size() >= 12 ? Integer(LoadLE32(a.Format.data() + 8)) : 0;
    const char(&code)[5] = a.AudioFirst ? "01db" : "00db";
    TBytes v;
    const size_t riff = BeginList(v, "RIFF", "AVI ");
    const size_t hdrl = BeginList(v, "LIST", "hdrl");
    const size_t avih = Begin(v, "avih");
    v.resize(v.size() + 56, 0);
    End(v, avih);
    if (a.AudioFirst) {
        const size_t strl = BeginList(v, "LIST", "strl");
        const size_t strh = Begin(v, "strh");
        PutCode(v, "auds");
        v.resize(v.size() + 52, 0);
        End(v, strh);
        const size_t strf = Begin(v, "strf");
        v.resize(v.size() + 16, 0);
        End(v, strf);
        End(v, strl);
    }
    const size_t strl = BeginList(v, "LIST", "strl");
    const size_t strh = Begin(v, "strh");
    PutCode(v, "vids");
    Put32(v, a.Handler);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, a.Scale);
    Put32(v, a.Rate);
    Put32(v, 0);
    Put32(v, Cardinal(a.Length < 0 ? Integer(a.Frames.size()) : a.Length));
    Put32(v, 0);
    Put32(v, 0xFFFFFFFF);
    Put32(v, 0);
    Put16(v, 0);
    Put16(v, 0);
    Put16(v, Word(w));
    Put16(v, Word(h));
    End(v, strh);
    const size_t strf = Begin(v, "strf");
    v.insert(v.end(), a.Format.begin(), a.Format.end());
    End(v, strf);
    size_t superEntry = 0;
    if (a.Index == TIndex::OpenDML) {
        const size_t indx = Begin(v, "indx");
        Put16(v, 4);
        v.push_back(0);
        v.push_back(0);  // an index of indexes
        Put32(v, 1);
        Put32(v, AviFourCC(code));
        v.resize(v.size() + 12, 0);
        superEntry = v.size();
        v.resize(v.size() + 16, 0);
        End(v, indx);
    }
    End(v, strl);
    End(v, hdrl);

    const size_t movi = BeginList(v, "LIST", "movi");
    std::vector<std::pair<size_t, size_t>> chunks;  // where each frame's chunk starts, its size
    for (const TBytes& frame : a.Frames) {
        size_t rec = 0;
        if (a.Index == TIndex::NoneInRecLists) rec = BeginList(v, "LIST", "rec ");
        chunks.emplace_back(v.size(), frame.size());
        const size_t data = Begin(v, code);
        v.insert(v.end(), frame.begin(), frame.end());
        End(v, data);
        if (rec) End(v, rec);
    }
    auto key = [&](size_t i) { return i >= a.NotKey.size() || !a.NotKey[i]; };
    if (a.Index == TIndex::OpenDML) {
        const size_t at = v.size();
        const size_t ix = Begin(v, "ix00");
        Put16(v, 2);
        v.push_back(0);
        v.push_back(1);  // an index of chunks
        Put32(v, Cardinal(chunks.size()));
        Put32(v, AviFourCC(code));
        Put32(v, Cardinal(movi));  // the base offset, 64 bits
        Put32(v, 0);
        Put32(v, 0);
        for (size_t i = 0; i < chunks.size(); ++i) {
            Put32(v, Cardinal(chunks[i].first + 8 - movi));
            Put32(v, Cardinal(chunks[i].second) | (key(i) ? 0 : 0x80000000u));
        }
        End(v, ix);
        Patch32(v, superEntry, Cardinal(at));
        Patch32(v, superEntry + 8, Cardinal(v.size() - at));
        Patch32(v, superEntry + 12, Cardinal(chunks.size()));
    }
    End(v, movi);
    if (a.Index == TIndex::Idx1 || a.Index == TIndex::Idx1FromFileStart) {
        const size_t origin = a.Index == TIndex::Idx1 ? movi : 0;
        const size_t idx1 = Begin(v, "idx1");
        for (size_t i = 0; i < chunks.size(); ++i) {
            Put32(v, AviFourCC(code));
            Put32(v, key(i) ? 0x10 : 0);
            Put32(v, Cardinal(chunks[i].first - origin));
            Put32(v, Cardinal(chunks[i].second));
        }
        End(v, idx1);
    }
    End(v, riff);
    return v;
}

inline void Fill(TMemoryStream& s, const TBytes& bytes) {
    s.SetSize(0);
    s.WriteBuffer(bytes.data(), Int64(bytes.size()));
    s.SetPosition(0);
}

}  // namespace avitest
