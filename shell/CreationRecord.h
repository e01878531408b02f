#pragma once

// What the host interface passes as the effect record with the queries a machine makes
// while it is being built (sample rate, block size), before its own record exists.
void* CreationQueryRecord();
