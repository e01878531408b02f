#pragma once

#include <cstdint>

#include "framework/Machine.h"

// Every text that crosses the host boundary goes through here, so that no copy can run past
// the size the standard gives the buffer on the other side.

// Copies `source` into `destination`, a buffer of `limit` bytes, byte by byte: the copy
// stops after the terminating zero, or puts a zero in the last byte of the limit when the
// text is longer. Nothing is written to a null destination; a null source is empty text.
inline void CopyLimitedText(char* destination, const char* source, int32_t limit)
{
    if (!destination || limit <= 0)
        return;
    if (!source)
        source = "";
    for (int32_t i = 0; i + 1 < limit; ++i) {
        destination[i] = source[i];
        if (source[i] == '\0')
            return;
    }
    destination[limit - 1] = '\0';
}

// Lets a machine write a text into a cleared scratch buffer of the machine's text size and
// hands it to the host cut to `limit`. A null destination asks the machine for nothing.
template <typename WriteText>
void TransferMachineText(char* destination, int32_t limit, WriteText writeText)
{
    if (!destination)
        return;
    char scratch[kMachineTextSize];
    scratch[0] = '\0';
    writeText(scratch);
    scratch[kMachineTextSize - 1] = '\0';
    CopyLimitedText(destination, scratch, limit);
}
