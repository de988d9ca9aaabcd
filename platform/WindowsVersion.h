#pragma once
#include <cstdint>

// The GetVersion value of the running system. Hosts other than Windows answer as a current
// NT-family system does.
uint32_t windowsVersionValue();
