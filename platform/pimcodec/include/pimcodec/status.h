#pragma once

namespace pimcodec {

// Why a decode or encode was refused. Decoders never read past the bytes given.
enum class Status {
    kOk = 0,
    kTruncated,      // the bytes end before a field the layout requires
    kBadType,        // a pattern type this layout does not define
    kBadValue,       // a field out of its range (zero period, bad day, bad end type, ...)
    kInconsistent,   // fields that contradict each other (exception and deleted lists)
    kTooLarge,       // more entries than a pattern can sensibly hold
};

const char* StatusText(Status s);

}  // namespace pimcodec
