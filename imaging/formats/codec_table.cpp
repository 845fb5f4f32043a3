#include "imaging/formats/codec_table.h"

TImgCodecTable& ImgCodecs() {
    static TImgCodecTable table;
    return table;
}
