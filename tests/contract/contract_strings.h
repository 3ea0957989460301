#pragma once
// String resources of the contract test program (the resource compiler
// needs plain macros).
#define IDS_CONTRACT_SHORT 7001
#define IDS_CONTRACT_LONG 7002
#define IDS_CONTRACT_MISSING 7003
#define CONTRACT_LONG_STRING_LENGTH 1500
