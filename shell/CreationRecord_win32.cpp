#include "shell/CreationRecord.h"

// Windows hosts take these queries without a record, as the interface allows.
void* CreationQueryRecord()
{
    return nullptr;
}
