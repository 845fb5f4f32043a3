#pragma once
// What a codec that is not part of this build does when it is called: it reports failure
// through the progress record's aborting flag and touches nothing else.

#include "imaging/img_types.h"

inline void ImgCodecNotAvailable(TProgressRec& Progress) { Progress.Abort(); }
